export GREETING=$'\xff'
