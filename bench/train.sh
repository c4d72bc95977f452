#!/usr/bin/env bash
# The training run of the profile-guided build (see the Makefile): runs the programs of bench/set/
# with the instrumented ostrel given, at about a tenth of their size (bench/scale.sh), after
# clearing the counts of earlier runs (they would add up). A program that fails only leaves its
# share out of the profile.
# Usage: bash bench/train.sh OSTREL COUNTS_DIR
set -uo pipefail
ostrel=$(realpath "$1")
counts=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$counts"
work=$(mktemp -d /tmp/ostrel-train.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
bash "$here/passwd.sh" 200 >passwd.txt  # the input of the line-processing program
for program in "$here"/set/*.ost; do
  bash "$here/scale.sh" 10 "$program" >train.ost
  "$ostrel" run train.ost >/dev/null 2>&1 || echo "train: $(basename "$program") failed; trained without it" >&2
done
exit 0
