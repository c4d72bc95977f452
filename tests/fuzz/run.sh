#!/usr/bin/env bash
# Runs each fuzz target built in BUILD_DIR for SECONDS (default 60), starting from the seed corpus
# (seed_corpus.sh) and the corpus kept in BUILD_DIR/fuzz-work from earlier runs. Inputs that run
# too long or too big are skipped (a loop may well be endless); a crash or a sanitizer report
# stops the run, is saved under BUILD_DIR/fuzz-work/artifacts and fails this script.
set -uo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
work=$build/fuzz-work
rm -rf "$work/seed"
bash "$here/seed_corpus.sh" "$work/seed" || exit 1
mkdir -p "$work/artifacts"
status=0
for target in parse run; do
  corpus=$work/corpus-$target
  log=$work/$target.log
  mkdir -p "$corpus" "$work/tmp"
  TMPDIR=$work/tmp "$build/tests/fuzz/fuzz_$target" -fork="${FUZZ_JOBS:-2}" -ignore_timeouts=1 -ignore_ooms=1 -timeout=10 -timeout_exitcode=70 \
    -max_total_time="$seconds" -dict="$here/ostrel.dict" -artifact_prefix="$work/artifacts/$target-" \
    "$corpus" "$work/seed" >"$log" 2>&1
  result=$?
  rm -rf "$work/tmp"
  # In fork mode libFuzzer exits with the status of the last job it collected, so a run whose
  # last job hit a skipped timeout (70) or out-of-memory (71) ends with that status though
  # nothing failed; a crash stops the jobs at once and ends with its own status.
  if [ $result = 70 ] || [ $result = 71 ]; then
    grep -q 'INFO: log from the inner process' "$log" || result=0
  fi
  if [ $result = 0 ]; then
    # The last progress line: runs, coverage, corpus, and the skipped inputs (oom/timeout).
    echo "fuzz_$target: clean for $seconds s: $(grep -E '^#[0-9]+:' "$log" | tail -n 1)"
  else
    status=1
    echo "fuzz_$target: FAILED; the input is in $work/artifacts; end of $log:"
    tail -n 60 "$log"
  fi
done
exit $status
