# A main-thread stack of 256 KiB, smaller than the room the parser keeps for its own errors, and no
# room for a large stack of our own: a small program still runs. The sanitizer build reserves
# terabytes of shadow memory and cannot run under the address-space limit.
ldd "$0" | grep -q libasan || ulimit -v 35000
ulimit -s 256
