#!/usr/bin/env bash
# Runs a handful of programs, small and deeply nested, under every pairing of an address-space
# limit (`ulimit -v`) and a stack limit (`ulimit -s`), and reports each run that ends in a signal
# or in a status other than 0 or 1, and each small program that does not print its result where
# it fits comfortably. Too slow for CI (over a thousand runs); run it by hand after touching
# start-up, stacks or depth caps:
#
#   bash tests/limits/sweep.sh build/ostrel
#
# The smallest address-space limit is about what the static binary needs to start at all: below
# it the C library's own start-up fails before our code runs.
set -uo pipefail
ostrel=$(realpath "${1:?usage: sweep.sh OSTREL}")
work=$(mktemp -d /tmp/ostrel-sweep.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

echo 1 > one.ost
/usr/bin/python3 - <<'EOF'
open("brackets.ost", "w").write("x = " + "[" * 5000 + "1" + "]" * 5000 + "\n")
open("powers.ost", "w").write("x = " + "1 ** " * 50000 + "1\n")
open("sums.ost", "w").write("x = " + " + ".join(["1"] * 60000) + "\n")
open("blocks.ost", "w").write("".join("    " * i + "if True:\n" for i in range(900)) + "    " * 900 + "1\n")
open("recursion.ost", "w").write("def f(n) = if n == 0: 0 else: 1 + f(n - 1)\nf(200000)\n")
open("repl.in", "w").write("1 + 1\n" + "[" * 3000 + "]" * 3000 + "\n")
EOF

# name, then the arguments; the small ones must print their result.
cases=(
  "eval|eval|1"
  "run|run|one.ost"
  "repl|repl"
  "parse|parse|one.ost"
  "brackets|run|brackets.ost"
  "parse-brackets|parse|brackets.ost"
  "powers|run|powers.ost"
  "sums|run|sums.ost"
  "blocks|run|blocks.ost"
  "recursion|run|recursion.ost"
)
declare -A expected=([eval]=1 [run]=1 [repl]=2 [parse]=Module)

address_limits=(unlimited 4000000 1000000 300000 100000 60000 40000 36000 30000 24000 20000 16000 12000 10000
  8000 6000 5000 4000 3500)
stack_limits=(64 128 256 512 1024 8192 65536 unlimited)

# Below this much address space (KB) even a small program may end in a clear error ("out of
# memory", "nested too deeply") instead of its result: the static binary alone needs about 3.5 MB.
comfortable_kb=10000
fits_comfortably() { [ "$1" = unlimited ] || [ "$1" -ge "$comfortable_kb" ]; }

failures=0
runs=0
for v in "${address_limits[@]}"; do
  for s in "${stack_limits[@]}"; do
    for entry in "${cases[@]}"; do
      name=${entry%%|*}
      IFS='|' read -r -a arguments <<< "${entry#*|}"
      out=$( (ulimit -v "$v" && ulimit -s "$s" && exec "$ostrel" "${arguments[@]}" < repl.in) 2>"$work/err" |
        head -c 4096; exit "${PIPESTATUS[0]}")
      status=$?
      runs=$((runs + 1))
      verdict=""
      if [ "$status" -gt 1 ]; then
        verdict="status $status"
      elif [ -n "${expected[$name]:-}" ] && fits_comfortably "$v" && ! grep -q "${expected[$name]}" <<< "$out"; then
        verdict="no result (status $status: $(tail -n 1 "$work/err" | head -c 100))"
      fi
      if [ -n "$verdict" ]; then
        failures=$((failures + 1))
        printf 'ulimit -v %-9s -s %-9s %-15s %s\n' "$v" "$s" "$name" "$verdict"
      fi
    done
  done
done
echo "$runs runs, $failures failed"
[ "$failures" = 0 ]
