#!/usr/bin/env bash
# Growth checks, run by bench/run.sh: each shape runs at size n and 2n and the table shows the
# median time and the peak resident memory of both with their ratios (linear growth is about 2x,
# constant about 1x). Then the start-up of `ostrel eval 1` against `lua5.4 -e ''` and `bash -c :`.
# Times and peaks come from bench/measure.cpp (wall clock, and wait4()'s ru_maxrss of each run).
# A run is limited to LIMIT_MB of address space and TIMEOUT seconds, so a shape that grows badly is
# reported as such instead of taking the machine with it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ostrel=${OSTREL:?run through bench/run.sh}
measure=${MEASURE:?run through bench/run.sh}
rounds=${GROWTH_ROUNDS:-3}
timeout=${TIMEOUT:-30}
limit_mb=${LIMIT_MB:-4096}
work=$(mktemp -d /tmp/ostrel-growth.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Program generators: each writes the program for the size given to standard output.
defs() {
  awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) printf "def f%d(x) = x + %d\n", i, i; printf "print(f%d(1))\n", n - 1 }'
}
closures_in_loop() {
  printf 'var fs = []\nfor i in range(%d):\n    fs = append(fs, lambda: i)\nprint(len(fs), fs[0]())\n' "$1"
}
# Indexes a string of $1 copies of the character $2 (a one-byte or a two-byte one) from both ends.
scan() {
  printf 'var s = "%s" * %d\nvar n = %d\nvar count = 0\nvar i = 0\n' "$2" "$1" "$1"
  printf 'while i < n:\n    if s[i] == s[-1 - i]: count += 1\n    i += 1\nprint(count)\n'
}
scan_ascii() { scan "$1" a; }
scan_non_ascii() { scan "$1" é; }
# $2 lookups spread over a dictionary of $1 string keys.
lookups() {
  awk -v n="$1" -v count="$2" 'BEGIN {
    printf "var d = {"
    for (i = 0; i < n; i++) printf "%s\"k%d\": %d", (i ? ", " : ""), i, i
    printf "}\nvar total = 0\nfor i in range(%d):\n    total += d[\"k\" + str(i * 7919 %% %d)]\nprint(total)\n", count, n
  }'
}
range_loop() { printf 'var count = 0\nfor i in range(%d):\n    count += 1\nprint(count)\n' "$1"; }
append_list() { printf 'var xs = []\nfor i in range(%d):\n    xs = append(xs, i)\nprint(len(xs))\n' "$1"; }
concat_string() { printf 'var s = ""\nfor i in range(%d):\n    s += "x"\nprint(len(s))\n' "$1"; }
# A match on the list before each append: once left, the match holds none of it, so the append
# still happens in place.
match_then_append() {
  printf 'var xs = []\nfor i in range(%d):\n    var n = match xs { l if len(l) < 0 => 1, _ => 0 }\n' "$1"
  printf '    xs = append(xs, i)\nprint(len(xs))\n'
}

mb() { awk -v kb="$1" 'BEGIN { printf "%.1f", kb / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
seconds() { printf "%.3f" "$1"; }
row() { printf '%-34s %9s %9s %9s %6s %9s %9s %6s\n' "$@"; }

# One row: LABEL GENERATOR N, run at N and 2N.
check() {
  local label=$1 generate=$2 small=$3 large=$(($3 * 2))
  "$generate" "$small" >"$work/small.ost"
  "$generate" "$large" >"$work/large.ost"
  set -- $("$measure" -t "$timeout" -m "$limit_mb" "$rounds" "$ostrel" run "$work/small.ost" \
    --- "$ostrel" run "$work/large.ost" 2>>"$work/errors")
  local time_small=$1 peak_small=$2 status_small=$3 time_large=$4 peak_large=$5 status_large=$6
  if [ "$status_small" != ok ]; then
    row "$label" "$small" "$status_small" - - - - -
  elif [ "$status_large" != ok ]; then
    row "$label" "$small" "$(seconds "$time_small")" "$status_large" - "$(mb "$peak_small")" - -
  else
    row "$label" "$small" "$(seconds "$time_small")" "$(seconds "$time_large")" \
      "$(ratio "$time_large" "$time_small")" \
      "$(mb "$peak_small")" "$(mb "$peak_large")" "$(ratio "$peak_large" "$peak_small")"
  fi
}

# The lookup row compares dictionary sizes rather than doubling, and times the lookups alone: the
# same program without lookups is timed too and taken off, as building 20,000 keys is work of its own.
check_lookups() {
  local label="300,000 lookups, 20 vs 20,000 keys"
  local size
  for size in 20 20000; do
    lookups "$size" 300000 >"$work/with$size.ost"
    lookups "$size" 0 >"$work/without$size.ost"
  done
  set -- $("$measure" -t "$timeout" -m "$limit_mb" "$rounds" "$ostrel" run "$work/with20.ost" \
    --- "$ostrel" run "$work/without20.ost" --- "$ostrel" run "$work/with20000.ost" \
    --- "$ostrel" run "$work/without20000.ost" 2>>"$work/errors")
  if [ "$3 $6 $9 ${12}" != "ok ok ok ok" ]; then
    row "$label" 20 "$3 $6 $9 ${12}" - - - - -
    return
  fi
  local small large
  small=$(awk -v a="$1" -v b="$4" 'BEGIN { print a - b }')
  large=$(awk -v a="$7" -v b="${10}" 'BEGIN { print a - b }')
  row "$label" 20 "$(seconds "$small")" "$(seconds "$large")" "$(ratio "$large" "$small")" \
    "$(mb "$2")" "$(mb "$8")" "$(ratio "$8" "$2")"
}

echo "growth: n and 2n (or the sizes named), median of $rounds runs; seconds and peak MB"
row shape n "time n" "time 2n" ratio "peak n" "peak 2n" ratio
check "top-level defs" defs 8000
check "closures appended in a range loop" closures_in_loop 30000
check "s[i] scan, ASCII" scan_ascii 100000
check "s[i] scan, non-ASCII" scan_non_ascii 100000
check_lookups
check "for i in range(n), n = 3M and 6M" range_loop 3000000
check "list built by append" append_list 200000
check "string built by +=" concat_string 200000
check "list matched on, then appended" match_then_append 200000
if [ -s "$work/errors" ]; then
  echo "what the failed runs said (a status-N above; timeouts after $timeout s, memory capped at $limit_mb MB):"
  sort "$work/errors" | uniq -c
fi

echo
runs=${START_RUNS:-200}
echo "start-up: median of $runs runs each, alternating; seconds and peak MB"
set -- $("$measure" "$runs" "$ostrel" eval 1 --- lua5.4 -e '' --- bash -c :)
printf '%-20s %9s %9s\n' command time peak
printf '%-20s %9.5f %9s\n' "ostrel eval 1" "$1" "$(mb "$2")" "lua5.4 -e ''" "$4" "$(mb "$5")" "bash -c :" "$7" "$(mb "$8")"
printf 'ostrel/lua5.4: %s in time, %s in peak memory\n' "$(ratio "$1" "$4")" "$(ratio "$2" "$5")"
