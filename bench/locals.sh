#!/usr/bin/env bash
# Prints a program whose one function declares COUNT locals, each from the one before, and prints
# the last: the benchmark of compiling a very long function. Lua allows 200 locals per function,
# so its version reassigns one local instead; the three print the same.
# Usage: bash bench/locals.sh ost|py|lua COUNT
awk -v language="$1" -v n="$2" 'BEGIN {
  if (language == "ost") {
    print "def f(x):"
    print "    var v0 = x"
    for (i = 1; i < n; i++) printf "    var v%d = v%d + 1\n", i, i - 1
    printf "    v%d\nprint(f(0))\n", n - 1
  } else if (language == "py") {
    print "def f(x):"
    print "    v0 = x"
    for (i = 1; i < n; i++) printf "    v%d = v%d + 1\n", i, i - 1
    printf "    return v%d\nprint(f(0))\n", n - 1
  } else {
    print "local function f(x)"
    print "  local v = x"
    for (i = 1; i < n; i++) print "  v = v + 1"
    print "  return v\nend\nprint(f(0))"
  }
}'
