#!/usr/bin/env bash
# Writes the seed corpus of the fuzz targets into DIR: every script of the end-to-end cases and
# the examples, and every text that a case hands to `eval`. Inputs made by a case's setup.sh are
# not included.
set -euo pipefail
dir=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$dir"
n=0
add() {
  n=$((n + 1))
  cp "$1" "$dir/seed-$n"
}
while IFS= read -r -d '' file; do add "$file"; done < <(find "$root/tests/e2e/cases" "$root/examples" -name '*.ost' -print0)
while IFS= read -r -d '' args; do
  [ "$(head -n 1 "$args")" = eval ] || continue
  text=$(sed -n 2p "$args")
  if [[ $text == @file:* ]]; then add "$(dirname "$args")/${text#@file:}"
  else n=$((n + 1)); printf '%s' "$text" > "$dir/seed-$n"; fi
done < <(find "$root/tests/e2e/cases" -name args -print0)
