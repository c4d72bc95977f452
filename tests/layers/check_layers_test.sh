#!/usr/bin/env bash
# The include check passes a tree that keeps to its layers and fails one that reaches upward,
# also through a layer that is only reachable indirectly.
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{low,middle,high}
layers=(low= middle=low high=middle)
printf '#include "low/a.hpp"\n' >"$tree/middle/b.cpp"
printf '#include "low/a.hpp"\n#include "high/c.hpp"\n' >"$tree/high/c.cpp"
bash "$check" "$tree" "${layers[@]}"

printf '#include <vector>\n#include "middle/b.hpp"\n' >"$tree/low/a.cpp"
if message=$(bash "$check" "$tree" "${layers[@]}" 2>&1); then
  echo "an upward include passed"
  exit 1
fi
expected="$tree/low/a.cpp:2: the low layer does not build on middle: #include \"middle/b.hpp\""
[[ $message == "$expected" ]] || { echo "unexpected message: $message"; exit 1; }
