#!/usr/bin/env bash
# Test (ctest bench.outputs-agree): every program of bench/set/, made a hundred times smaller, and
# the generated one of bench/locals.sh print the same in ostrel as in Python and Lua. This keeps the
# benchmarks honest and checks the evaluator against two other interpreters on whole programs.
# Usage: bash bench/check.sh OSTREL
set -euo pipefail
ostrel=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/ostrel-check.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
bash "$here/passwd.sh" 200 >passwd.txt
failed=0
for program in "$here"/set/*.ost; do
  name=$(basename "$program" .ost)
  for ext in ost py lua; do bash "$here/scale.sh" 100 "$here/set/$name.$ext" >"$name.$ext"; done
done
for ext in ost py lua; do bash "$here/locals.sh" "$ext" 500 >"locals.$ext"; done
for program in *.ost; do
  name=$(basename "$program" .ost)
  "$ostrel" run "$name.ost" >ostrel.out 2>&1 || true
  /usr/bin/python3 "$name.py" >python.out
  lua5.4 "$name.lua" >lua.out
  for peer in python lua; do
    if ! cmp -s ostrel.out $peer.out; then
      echo "$name: ostrel and $peer disagree:"
      diff ostrel.out $peer.out || true
      failed=1
    fi
  done
done
exit $failed
