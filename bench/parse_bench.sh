#!/usr/bin/env bash
# Parse throughput on a generated program of a few MB. Needs the release build in build/.
# Usage: bash bench/parse_bench.sh [MEGABYTES]
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-4}
work=$(mktemp -d /tmp/ostrel-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

cmake --build build --target ostrel_parser -j 4 >/dev/null
g++ -std=c++17 -O2 -Isrc bench/parse_bench.cpp build/src/parser/libostrel_parser.a build/src/grammar/libostrel_grammar.a \
  build/src/ast/libostrel_ast.a build/src/support/libostrel_support.a \
  $(pkg-config --libs libutf8proc) -pthread -o "$work/parse_bench"

# Ordinary code: functions with nested blocks, conditionals, loops, calls, collections, matches,
# strings and comments, repeated with varying names until the size is reached.
python3 - "$megabytes" >"$work/program.ost" <<'PY'
import sys
target = int(float(sys.argv[1]) * 1_000_000)
template = '''// helper number {i}
def process_{i}(items: List<Int>, limit: Int) -> Int:
    var total = 0
    for item in items:
        if item > limit and item % 2 == 0:
            total += item * 2 - (limit / 3)
        elif item < 0:
            println("negative: " + str(item))
        else:
            total = total + item
    result = match total {{
        0 => "none",
        [first, second..rest] => first,
        Some(x) if x > 10 => x ** 2,
        _ => total
    }}
    names = [n.upper() for n in ["a", 'b', "c\\n"] if len(n) > 0]
    config = {{"name": "svc_{i}", "enabled": True, "retries": 3.5e1}}
    pacman.install(["pkg_{i}", "tool"]) |> print
    return (total, names, config)

'''
written = 0
i = 0
out = sys.stdout
while written < target:
    text = template.format(i=i)
    out.write(text)
    written += len(text)
    i += 1
PY

"$work/parse_bench" "$work/program.ost"
