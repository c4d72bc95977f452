# A full disk behind standard error: the message is lost, the status is not.
redirect="2>/dev/full"
