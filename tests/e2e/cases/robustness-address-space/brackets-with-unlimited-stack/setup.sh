# With `ulimit -s unlimited` the main thread's stack looks endless, but the address-space limit
# stops it growing long before 5,000 nested brackets are parsed: the outcome is an error and status
# 1 (which error depends on the build), never a crash. The sanitizer build reserves terabytes of
# shadow memory and cannot run under the address-space limit; there the program parses and fails
# when run.
/usr/bin/python3 -c "print('x = ' + '['*5000 + '1' + ']'*5000); print('fs.read(\"/no such file\")')" > p.ost
ulimit -s unlimited
ldd "$0" | grep -q libasan || ulimit -v 24000
redirect="2>/dev/null"
