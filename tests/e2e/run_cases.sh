#!/usr/bin/env bash
# Runs every end-to-end case below a group directory against the real binary and compares
# standard output, standard error and exit status byte for byte. See README.md beside this file.
set -u
ostrel=$(realpath "$1")
group=$(realpath "$2")
failed=0
passed=0
work=$(mktemp -d /tmp/ostrel-e2e.XXXXXX)
trap 'rm -rf "$work"' EXIT

run_case() {
  local case_dir=$1 name=$2 dir="$work/$2"
  mkdir -p "$dir"
  cp -a "$case_dir/." "$dir/"
  local args=()
  while IFS= read -r line || [ -n "$line" ]; do
    if [[ $line == @file:* ]]; then args+=("$(cat "$dir/${line#@file:}"; printf x)"); args[-1]=${args[-1]%x}
    else args+=("$line"); fi
  done < "$dir/args"
  local stdin_file=/dev/null
  [ -f "$dir/stdin" ] && stdin_file="$dir/stdin"
  (
    cd "$dir" || exit 99
    # A clean environment, so that no variable of the caller steers the program. Standard input is
    # redirected here, outside it, so setup.sh may still replace or close it; setup.sh may also
    # change directory, so the outputs are written by absolute path.
    exec env -i PATH="$PATH" HOME="$dir" ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
      bash -c 'case_dir=$PWD
        redirect=
        if [ -f setup.sh ]; then . ./setup.sh || exit 98; fi
        eval "exec \"\$0\" \"\$@\" >\"\$case_dir/actual.out\" 2>\"\$case_dir/actual.err\" $redirect"' \
      "$ostrel" "${args[@]}" <"$stdin_file"
  )
  local status=$?
  local expected_status=0
  [ -f "$dir/status" ] && expected_status=$(cat "$dir/status")
  local ok=1
  [ -f "$dir/stdout" ] || : >"$dir/stdout"
  [ -f "$dir/stderr" ] || : >"$dir/stderr"
  cmp -s "$dir/stdout" "$dir/actual.out" || { ok=0; echo "--- $name: stdout differs"; diff <(cat -A "$dir/stdout") <(cat -A "$dir/actual.out") | head -40; }
  cmp -s "$dir/stderr" "$dir/actual.err" || { ok=0; echo "--- $name: stderr differs"; diff <(cat -A "$dir/stderr") <(cat -A "$dir/actual.err") | head -40; }
  [ "$status" = "$expected_status" ] || { ok=0; echo "--- $name: status $status, expected $expected_status"; }
  if [ $ok = 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $name"; fi
}

for case_dir in "$group"/*/; do
  case_dir=${case_dir%/}
  [ -f "$case_dir/args" ] || continue
  run_case "$case_dir" "$(basename "$case_dir")"
done
echo "$(basename "$group"): $passed passed, $failed failed"
[ $failed = 0 ]
