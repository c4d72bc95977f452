#!/usr/bin/env bash
# The training run of the profile-guided build (cmake/profile.cmake): runs the programs of
# bench/set/ with the instrumented ostrel given, at about a tenth of their size (bench/scale.sh),
# then publishes what they counted. The program writes its counts to RAW, the directory it was
# built with; earlier counts there are cleared first, as they would add up. Publishing copies to
# COUNTS only the files whose content changed and removes those the program no longer writes, so
# that the optimised build recompiles exactly the objects whose counts changed. A program that
# fails fails the training: a profile without it would quietly optimise for something else.
# Usage: bash bench/train.sh OSTREL RAW COUNTS
set -euo pipefail
ostrel=$(realpath "$1")
raw=$2
counts=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$raw"
work=$(mktemp -d /tmp/ostrel-train.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
bash "$here/passwd.sh" 200 >passwd.txt  # the input of the line-processing program

# The same counts from run to run, so that an unchanged program rebuilds nothing: a fixed
# environment, and no address randomisation where the system lets us turn it off.
fixed=(env -i PATH="$PATH")
if setarch -R true 2>/dev/null; then fixed+=(setarch -R); fi
for program in "$here"/set/*.ost; do
  bash "$here/scale.sh" 10 "$program" >train.ost
  if ! "${fixed[@]}" "$ostrel" run train.ost >/dev/null 2>error.txt; then
    echo "train: $(basename "$program") failed:" >&2
    cat error.txt >&2
    exit 1
  fi
done

mkdir -p "$counts"
shopt -s nullglob
written=("$raw"/*.gcda)
if ((${#written[@]} == 0)); then
  echo "train: $ostrel wrote no counts to $raw" >&2
  exit 1
fi
for file in "$counts"/*.gcda; do
  if [[ ! -e $raw/${file##*/} ]]; then rm "$file"; fi
done
for file in "${written[@]}"; do
  if ! cmp -s "$file" "$counts/${file##*/}"; then cp "$file" "$counts/"; fi
done
