# Thread stacks of 1 GiB cannot be had here (a container or CI sandbox may impose this). The
# sanitizer build reserves terabytes of shadow memory and cannot run under such a limit.
ldd "$0" | grep -q libasan || ulimit -v 1000000
