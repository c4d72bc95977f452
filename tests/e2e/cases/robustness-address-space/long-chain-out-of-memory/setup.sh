# A chain of 60,000 sums needs more memory to parse than this limit leaves: the tree built so far
# must be freed without allocating, and the outcome is a clean error. The sanitizer build reserves
# terabytes of shadow memory and cannot run under such a limit.
/usr/bin/python3 -c "print('x = ' + ' + '.join(['1'] * 60000))" > p.ost
ldd "$0" | grep -q libasan || ulimit -v 60000
