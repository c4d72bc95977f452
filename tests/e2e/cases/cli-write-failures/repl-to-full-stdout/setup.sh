# Everything the loop writes goes to a full disk; it reads its input to the end all the same.
redirect=">/dev/full"
