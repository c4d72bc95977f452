#!/usr/bin/env bash
# Instructions per call of the recursive fib of bench/set/, counted by callgrind for ostrel,
# Python and Lua. Runs fib(20) and fib(23) and divides the difference in instructions by the
# difference in calls, so start-up and parsing drop out. Needs valgrind (not installed by
# scripts/setup.sh: `make bench` does not use it) and the release build in build/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ostrel=$(realpath "${OSTREL:-$here/../build/ostrel}")
command -v valgrind >/dev/null || { echo "instructions: valgrind is missing (apt-get install valgrind)" >&2; exit 1; }
work=$(mktemp -d /tmp/ostrel-instructions.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Instructions executed by a command, as callgrind's total.
instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    awk '/Collected :/ { print $NF }'
}
# Calls made by fib(n): one for n < 2, else one plus those of fib(n-1) and fib(n-2).
calls() { awk -v n="$1" 'BEGIN { a = 1; b = 1; for (i = 2; i <= n; i++) { c = a + b + 1; a = b; b = c } print b }'; }

small=20 large=23
printf '%-8s %s\n' peer "instructions per fib call"
for peer in ostrel python3 lua5.4; do
  case $peer in
    ostrel) ext=ost run=("$ostrel" run) ;;
    python3) ext=py run=(/usr/bin/python3) ;;
    lua5.4) ext=lua run=(lua5.4) ;;
  esac
  for n in $small $large; do sed "s/fib(32)/fib($n)/" "$here/set/fib.$ext" >"$work/fib$n.$ext"; done
  a=$(instructions "${run[@]}" "$work/fib$small.$ext")
  b=$(instructions "${run[@]}" "$work/fib$large.$ext")
  printf '%-8s %.0f\n' "$peer" "$(awk -v a="$a" -v b="$b" -v x="$(calls $small)" -v y="$(calls $large)" \
    'BEGIN { print (b - a) / (y - x) }')"
done
