#!/usr/bin/env bash
# The training run of the profile-guided build (see the Makefile): runs the programs of bench/set/
# with the instrumented ostrel given, at about a tenth of their size, after clearing the counts of
# earlier runs (they would add up). A program that fails only leaves its share out of the profile.
# Usage: bash bench/train.sh OSTREL COUNTS_DIR
set -uo pipefail
ostrel=$(realpath "$1")
counts=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$counts"
work=$(mktemp -d /tmp/ostrel-train.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
# The input of the line-processing program, a little of it.
for i in $(seq 0 199); do echo "user$i:x:$((i * 37 % 3000)):100:User $i:/home/user$i:/bin/bash"; done >passwd.txt
for program in "$here"/set/*.ost; do
  # Literals of four digits or more shrink tenfold; fib's argument, exponential, by ten.
  perl -pe 's/\b(\d{4,})\b/int($1 \/ 10)/ge; s/fib\((\d+)\)/"fib(" . ($1 - 10) . ")"/ge' "$program" >train.ost
  "$ostrel" run train.ost >/dev/null 2>&1 || echo "train: $(basename "$program") failed; trained without it" >&2
done
exit 0
