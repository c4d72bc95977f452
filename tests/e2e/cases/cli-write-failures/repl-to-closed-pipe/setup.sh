# Both outputs into a pipe whose reader has gone, as in `ostrel run s.ost 2>&1 | head` once head
# has exited: every write fails with EPIPE.
mkfifo pipe
exec 3<>pipe 4>pipe 3<&-
redirect=">&4 2>&4"
