# A line of input longer than the memory left is a read error, which ends the loop like any other,
# never an abort. The sanitizer build reserves terabytes of shadow memory and cannot run under the
# limit; there the line is read whole (a comment) and the loop goes on. Only the outcome counts.
/usr/bin/python3 -c "print('1 + 1'); print('// ' + 'x' * 6000000); print('2')" > stdin.txt
exec <stdin.txt
ldd "$0" | grep -q libasan || ulimit -v 8000
redirect=">/dev/null"
