# Room for the 1 GiB stack and the program, but not for a copy of every printed line. The
# sanitizer build reserves terabytes of shadow memory and cannot run under such a limit.
ldd "$0" | grep -q libasan || ulimit -v 1200000
redirect=">/dev/null"
