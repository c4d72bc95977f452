#!/usr/bin/env bash
# Runs each benchmark in Ostrel, Python 3 and Lua 5.4 side by side and prints the best of three
# wall-clock times and the ratios ostrel/peer; then checks that building a list with `append`
# and a string with `+=` stay linear (doubling n should at most about double the time).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ostrel=${OSTREL:-$here/../build/ostrel}
for tool in python3 lua5.4; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (make setup installs it)" >&2; exit 1; }
done
[ -x "$ostrel" ] || { echo "bench: build ostrel first (make build)" >&2; exit 1; }
# The interpreter itself rather than a launcher in front of it (pyenv's shim is a shell script
# that adds a tenth of a second to every run).
python=$(python3 -c 'import sys; print(sys.executable)')
work=$(mktemp -d /tmp/ostrel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Seconds taken by the fastest of three runs of a command.
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    local took=$((end - start))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  echo "$best" | awk '{ printf "%.4f", $1 / 1e9 }'
}

# Seconds per run, averaged over many runs: start-up is too short to time once.
average_of_many() {
  local runs=200 start end
  start=$(date +%s%N)
  for _ in $(seq $runs); do "$@" >/dev/null; done
  end=$(date +%s%N)
  echo "$((end - start)) $runs" | awk '{ printf "%.4f", $1 / $2 / 1e9 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3g", a / b }'; }

# The program NAME.EXT with SIZE replaced, as a file in the work directory.
program() {
  local name=$1 ext=$2 size=${3:-}
  local out="$work/$name$size.$ext"
  sed "s/SIZE/$size/g" "$here/$name.$ext" >"$out"
  echo "$out"
}

row() {
  printf '%-24s %9s %9s %9s %14s %14s\n' "$@"
}

compare() {
  local label=$1 name=$2 size=${3:-}
  local o p l
  o=$(best_of_three "$ostrel" run "$(program "$name" ost "$size")")
  p=$(best_of_three "$python" "$(program "$name" py "$size")")
  l=$(best_of_three lua5.4 "$(program "$name" lua "$size")")
  row "$label" "$o" "$p" "$l" "$(ratio "$o" "$p")" "$(ratio "$o" "$l")"
}

row "benchmark (seconds)" ostrel python3 lua5.4 ostrel/python3 ostrel/lua5.4
compare "fib(27)" fib
compare "while loop, 3000000" loop
compare "append, 200000" append 200000
compare "string +=, 200000" strings 200000
compare "comprehension, 1000000" comprehension
o=$(average_of_many "$ostrel" eval 1)
p=$(average_of_many "$python" -c pass)
l=$(average_of_many lua5.4 -e '')
row "start-up (eval 1)" "$o" "$p" "$l" "$(ratio "$o" "$p")" "$(ratio "$o" "$l")"

echo
echo "doubling check (time for 2n / time for n; linear is about 2):"
for name in append strings; do
  small=$(best_of_three "$ostrel" run "$(program "$name" ost 200000)")
  large=$(best_of_three "$ostrel" run "$(program "$name" ost 400000)")
  printf '  %-8s n=200000 %ss, n=400000 %ss, ratio %s\n' "$name" "$small" "$large" "$(ratio "$large" "$small")"
done
