# Too little address space for even a 16 MiB stack, and a main-thread stack of 64 KiB: the file is
# read and the program run all the same. The sanitizer build reserves terabytes of shadow memory
# and cannot run under the address-space limit.
ldd "$0" | grep -q libasan || ulimit -v 35000
ulimit -s 64
