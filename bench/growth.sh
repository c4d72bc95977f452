#!/usr/bin/env bash
# Growth checks, run by bench/run.sh: each shape runs at size n and 2n and the table shows the
# median time and the peak resident memory of both with their ratios (linear growth is about 2x,
# constant about 1x). Then programs too large for memory, which must fail at once, and the start-up
# of `ostrel eval 1` against `lua5.4 -e ''` and `bash -c :`, on the machine as it is and with every
# core busy. Times and peaks come from bench/measure.cpp (wall clock, and wait4()'s ru_maxrss of
# each run). A run is limited to LIMIT_MB of address space and TIMEOUT seconds, so a shape that
# grows badly is reported as such instead of taking the machine with it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ostrel=${OSTREL:?run through bench/run.sh}
measure=${MEASURE:?run through bench/run.sh}
rounds=${GROWTH_ROUNDS:-3}
timeout=${TIMEOUT:-30}
fail_timeout=${FAIL_TIMEOUT:-10}  # for the programs that must fail at once
limit_mb=${LIMIT_MB:-4096}
work=$(mktemp -d /tmp/ostrel-growth.XXXXXX)
busy=()  # the busy loops of the start-up check under load
trap 'stop_busy; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM  # through the EXIT trap, which ends the busy loops

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
# Recursion over a list by head and rest: each level's rest must share the list, not copy it.
rest_recursion() {
  printf 'def total(xs) = match xs { [] => 0, [x ..rest] => x + total(rest) }\nprint(total(range(%d)))\n' "$1"
}
# Appends through a helper, whose caller still holds the list while the helper runs.
push_helper() {
  printf 'def push(xs, x) = append(xs, x)\nvar seen = []\nfor i in range(%d):\n    seen = push(seen, i)\n' "$1"
  printf 'print(len(seen))\n'
}
# Appends while an alias, read before the append and never after, holds the list.
push_alias() {
  printf 'var seen = []\nvar total = 0\nfor i in range(%d):\n    var before = seen\n' "$1"
  printf '    total += len(before)\n    seen = append(seen, i)\nprint(len(seen), total)\n'
}
# Builds a string by s = s + a + b + c, whose first + must not copy s.
concat_chain() {
  printf 'var s = ""\nvar a = "<"\nvar c = ">"\nfor i in range(%d):\n    s = s + a + str(i %% 10) + c\n' "$1"
  printf 'print(len(s))\n'
}
# One function with $1 parameters, called with as many arguments.
parameters() {
  awk -v n="$1" 'BEGIN {
    printf "def f("
    for (i = 0; i < n; i++) printf "%sp%d", (i ? ", " : ""), i
    printf ") = p0 + p%d\nprint(f(", n - 1
    for (i = 0; i < n; i++) printf "%s%d", (i ? ", " : ""), i
    print "))"
  }'
}
locals() { bash "$here/locals.sh" ost "$1"; }
# The display of $1 levels of pairs that share both halves: 2^$1 leaves.
shared_levels() { printf 'var d = [1]\nfor i in range(%d):\n    d = [d, d]\n' "$1"; }
shared_display() { shared_levels "$1"; printf 'print(len(str(d)))\n'; }
# An error whose message displays the structure.
shared_in_error() { shared_levels "$1"; printf 'd + 1\n'; }

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
  "$2" "$3" >"$work/small.ost"
  "$2" "$(($3 * 2))" >"$work/large.ost"
  compare_sizes "$1" "$3"
}

# The display row doubles the leaves by adding a level: LABEL LEVELS.
check_display() {
  shared_display "$2" >"$work/small.ost"
  shared_display "$(($2 + 1))" >"$work/large.ost"
  compare_sizes "$1" "2^$2"
}

# Runs small.ost and large.ost and prints their row: LABEL N. A run that fails shows its status,
# and its peak when it was the run at n, as a memory limit is the usual cause.
compare_sizes() {
  local label=$1 small=$2
  set -- $("$measure" -t "$timeout" -m "$limit_mb" "$rounds" "$ostrel" run "$work/small.ost" \
    --- "$ostrel" run "$work/large.ost" 2>>"$work/errors")
  local time_small=$1 peak_small=$2 status_small=$3 time_large=$4 peak_large=$5 status_large=$6
  if [ "$status_small" != ok ]; then
    row "$label" "$small" "$status_small" - - "$(mb "$peak_small")" - -
  elif [ "$status_large" != ok ]; then
    row "$label" "$small" "$(seconds "$time_small")" "$status_large" - "$(mb "$peak_small")" - -
  else
    row "$label" "$small" "$(seconds "$time_small")" "$(seconds "$time_large")" \
      "$(ratio "$time_large" "$time_small")" \
      "$(mb "$peak_small")" "$(mb "$peak_large")" "$(ratio "$peak_large" "$peak_small")"
  fi
}

# A program that cannot fit in memory must fail at once with its own message, not after filling
# the memory: one run, limited to LIMIT_MB and a short timeout; shows how long it took, its peak
# and the start of what it said. LABEL GENERATOR LEVELS.
check_fails() {
  local label=$1 said
  "$2" "$3" >"$work/fails.ost"
  set -- $("$measure" -t "$fail_timeout" -m "$limit_mb" 1 "$ostrel" run "$work/fails.ost" 2>"$work/said")
  said=$(head -c 60 "$work/said" | head -n 1)
  printf '%-34s %9s %9s %9s  %s\n' "$label" "$(seconds "$1")" "$(mb "$2")" "$3" "${said:-(nothing)}"
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
check "list recursion, [x ..rest]" rest_recursion 40000
check "append through a helper" push_helper 20000
check "append with an alias" push_alias 20000
check "s = s + a + b + c" concat_chain 40000
check "parameters of one function" parameters 25000
check "locals of one function" locals 25000
check_display "str() of shared structure, leaves" 21
if [ -s "$work/errors" ]; then
  echo "what the failed runs said (a status-N above; timeouts after $timeout s, memory capped at $limit_mb MB):"
  sort "$work/errors" | uniq -c
fi

echo
echo "too large for memory: must fail at once (one run, timeout $fail_timeout s, memory capped at $limit_mb MB)"
printf '%-34s %9s %9s %9s  %s\n' program time peak status said
check_fails "str() of 30 levels of pairs" shared_display 30
check_fails "an error displaying 60 levels" shared_in_error 60

# The start-up comparison, on the machine as it is.
start_up() {
  set -- $("$measure" "$runs" "$ostrel" eval 1 --- lua5.4 -e '' --- bash -c :)
  printf '%-20s %9s %9s\n' command time peak
  printf '%-20s %9.5f %9s\n' "ostrel eval 1" "$1" "$(mb "$2")" "lua5.4 -e ''" "$4" "$(mb "$5")" "bash -c :" "$7" "$(mb "$8")"
  printf 'ostrel/lua5.4: %s in time, %s in peak memory\n' "$(ratio "$1" "$4")" "$(ratio "$2" "$5")"
}

# One busy loop per core, each in a session of its own as another user's work would be: the
# scheduler shares the processor between sessions first. Each loop also ends by itself after
# BUSY_SECONDS, in case this script is killed before its EXIT trap can run.
start_busy() {
  local i
  for ((i = 0; i < $(nproc); i++)); do
    # Not a process group leader, so setsid becomes the loop itself and $! is the loop's id.
    setsid bash -c 'end=$((SECONDS + $1)); while ((SECONDS < end)); do :; done' busy "${BUSY_SECONDS:-300}" &
    busy+=($!)
  done
}
stop_busy() {
  local pid
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${busy[@]}"; do wait "$pid" 2>/dev/null || true; done
  busy=()
}

echo
runs=${START_RUNS:-200}
echo "start-up on an idle machine: median of $runs runs each, alternating; seconds and peak MB"
start_up
echo
echo "start-up with every core busy (one busy loop per core)"
start_busy
sleep 1  # every loop running before the first start
start_up
stop_busy
