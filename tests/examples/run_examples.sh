#!/usr/bin/env bash
# Runs the scripts of examples/ against the stand-ins for sudo, pacman, yay and systemctl in
# tests/fakes, one case per directory under cases/, and compares what they print, their exit
# status, the commands they ran and the files they wrote. A case directory holds:
#   script       the name of the example to run (a file in examples/)
#   environment  optional: NAME=VALUE lines added to the environment
#   state/       optional: lists that replace those of the fake machine (see tests/fakes/common.sh)
#   stdout, stderr, status   what the run must print and its exit status (missing: empty, 0)
#   commands     the programs the fakes saw, with their arguments, one "program [arg] ..." a line
#   files        optional: "== PATH" lines, each followed by the content PATH must have afterwards
#   anything else (such as .env) is copied into the directory the example runs in, which is also
#   its HOME.
# Usage: run_examples.sh OSTREL EXAMPLES_DIR CASES_DIR FAKES_DIR
set -u
ostrel=$(realpath "$1")
examples=$(realpath "$2")
cases=$(realpath "$3")
fakes=$(realpath "$4")
work=$(mktemp -d /tmp/ostrel-examples.XXXXXX)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

# Prints the content of each "== PATH" of the expected files list, in the same layout.
dump_files() {
  local line
  while IFS= read -r line; do
    [[ $line == "== "* ]] || continue
    echo "$line"
    cat "${line#== }" 2>&1
  done <"$1"
}

compare() {
  local what=$1 expected=$2 actual=$3
  [ -f "$expected" ] || : >"$expected"
  cmp -s "$expected" "$actual" && return 0
  echo "--- $name: $what differs"
  diff "$expected" "$actual" | head -40
  return 1
}

for case_dir in "$cases"/*/; do
  name=$(basename "$case_dir")
  dir=$work/$name
  mkdir -p "$dir"
  cp -a "$case_dir/." "$dir/"
  state=$dir/.fake-arch
  cp -r "$fakes/seed" "$state"
  [ -d "$dir/state" ] && cp "$dir/state/"* "$state/"
  : >"$state/log"
  variables=()
  [ -f "$dir/environment" ] && mapfile -t variables <"$dir/environment"
  (cd "$dir" && exec env -i PATH="$fakes:/usr/bin:/bin" HOME="$dir" FAKE_ARCH="$state" \
      ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "${variables[@]}" \
      "$ostrel" run "$examples/$(cat script)" >"$work/$name.out" 2>"$work/$name.err" </dev/null)
  echo $? >"$work/$name.status"
  [ -f "$dir/status" ] || echo 0 >"$dir/status"
  ok=1
  compare stdout "$dir/stdout" "$work/$name.out" || ok=0
  compare stderr "$dir/stderr" "$work/$name.err" || ok=0
  compare status "$dir/status" "$work/$name.status" || ok=0
  compare commands "$dir/commands" "$state/log" || ok=0
  if [ -f "$dir/files" ]; then
    (cd "$dir" && dump_files files) >"$work/$name.files"
    compare files "$dir/files" "$work/$name.files" || ok=0
  fi
  if [ $ok = 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $name"; fi
done
echo "examples: $passed passed, $failed failed"
[ $failed = 0 ]
