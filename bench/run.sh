#!/usr/bin/env bash
# `make bench`: runs each program of bench/set/, and the long function of bench/locals.sh, in
# Ostrel, Python and Lua, checks that the three print the same thing and prints a table of median
# times (ROUNDS runs each, default 7, the three interpreters alternating run by run) with the ratios
# ostrel/python3 and ostrel/lua5.4. Then runs bench/growth.sh, the growth-by-doubling checks and the
# start-up comparison.
#
# The Python peer is Debian's packaged /usr/bin/python3 by full path: a locally built python3 that
# may come first on PATH is much slower and would flatter us. Each run is limited to LIMIT_MB of
# address space, so a program whose memory grows badly fails instead of taking the machine with it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ostrel=$(realpath "${OSTREL:-$here/../build/ostrel}")
python=/usr/bin/python3
# The peer runs as a user's would: PYTHONUNBUFFERED and its kind, when set around us, would make
# it write every print straight to the pipe.
for variable in $(compgen -e | grep '^PYTHON' || true); do unset "$variable"; done
rounds=${ROUNDS:-7}
timeout=${TIMEOUT:-60}  # seconds; a run that takes longer is reported, not waited for
limit_mb=${LIMIT_MB:-4096}
for tool in "$python" lua5.4 g++; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (make setup installs it)" >&2; exit 1; }
done
[ -x "$ostrel" ] || { echo "bench: build ostrel first (make build)" >&2; exit 1; }
work=$(mktemp -d /tmp/ostrel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
g++ -O2 -std=c++17 -o "$work/measure" "$here/measure.cpp"

bash "$here/passwd.sh" 20000 >"$work/passwd.txt"  # the input of the line-processing program
cd "$work"

# A median for the table: seconds with three decimals, or why there is none.
shown() { if [ "$2" = ok ]; then printf '%.3f' "$1"; else echo "$2"; fi; }
ratio() {
  if [ "$2" = ok ] && [ "$4" = ok ]; then awk -v a="$1" -v b="$3" 'BEGIN { printf "%.2f", a / b }'; else echo -; fi
}
row() { printf '%-16s %10s %10s %10s %15s %14s\n' "$@"; }

# One row of the table: NAME and the program in Ostrel, Python and Lua.
compare() {
  local name=$1 result
  result=$("$work/measure" -c -t "$timeout" -m "$limit_mb" "$rounds" \
    "$ostrel" run "$2" --- "$python" "$3" --- lua5.4 "$4") ||
    { echo "bench: $name: the interpreters disagree" >&2; exit 1; }
  set -- $result  # seconds, peak and status of ostrel, then of python3, then of lua5.4
  row "$name" "$(shown "$1" "$3")" "$(shown "$4" "$6")" "$(shown "$7" "$9")" \
    "$(ratio "$1" "$3" "$4" "$6")" "$(ratio "$1" "$3" "$7" "$9")"
}

echo "median of $rounds runs, seconds (programs in bench/set/; same output checked)"
row benchmark ostrel python3 lua5.4 ostrel/python3 ostrel/lua5.4
for name in fib calls while for_range list dict strings closures match lines comprehension \
  rest push alias concat display records chars compare keys output; do
  compare "$name" "$here/set/$name.ost" "$here/set/$name.py" "$here/set/$name.lua"
done
# Too long to keep as a file: generated for the run.
for ext in ost py lua; do bash "$here/locals.sh" "$ext" 50000 >"$work/locals.$ext"; done
compare "locals (50,000)" "$work/locals.ost" "$work/locals.py" "$work/locals.lua"
echo
OSTREL=$ostrel MEASURE=$work/measure bash "$here/growth.sh"
