# A chain of 60,000 sums needs more memory to parse than this limit leaves: the tree built so far
# must be freed without allocating, so the outcome is the clean "Parse error: out of memory" and
# status 1, never an abort. The sanitizer build reserves terabytes of shadow memory and cannot run
# under such a limit; there the chain parses and fails when run, also with status 1.
/usr/bin/python3 -c "print('x = ' + ' + '.join(['1'] * 60000) + ' + \"a\"')" > p.ost
ldd "$0" 2>/dev/null | grep -q libasan || ulimit -v 60000
redirect="2>/dev/null"
