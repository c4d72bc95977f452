# A chain of 50,000 powers folds into a tree as deep as the chain, which the compiler walks; with
# `ulimit -s unlimited` under an address-space limit the walk must stop at the stack's real end:
# the outcome is an error and status 1 (which error depends on the build), never a crash. The
# sanitizer build reserves terabytes of shadow memory and cannot run under the address-space
# limit; there the chain runs and the program fails after it.
/usr/bin/python3 -c "print('x = ' + '1 ** '*50000 + '1'); print('fs.read(\"/no such file\")')" > p.ost
ulimit -s unlimited
ldd "$0" | grep -q libasan || ulimit -v 30000
redirect="2>/dev/null"
