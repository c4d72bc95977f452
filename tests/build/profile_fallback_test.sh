#!/usr/bin/env bash
# A compiler without GCC's profile flags (clang) asked for the profile-guided build is told so and
# configures a plain build: no profile flag reaches it, and no instrumented build is set up.
# Usage: profile_fallback_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$(realpath "$1")
command -v clang++ >/dev/null || { echo "skipped: no clang++"; exit 0; }
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
message=$(cmake -S "$source_dir" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTING=OFF \
  -DOSTREL_PROFILE=use 2>&1 >/dev/null)
[[ $message == *"lacks GCC's profile flags; building without profile-guided optimisation"* ]] ||
  { echo "unexpected configure messages: $message"; exit 1; }
if grep -rl -e '-fprofile' -e '\.gcda' "$build" --include=flags.make --include=build.make; then
  echo "profile flags or count files in the clang build"
  exit 1
fi
[ ! -e "$build/instrumented" ] || { echo "an instrumented build was set up"; exit 1; }
echo "profile fallback: clang configures without the profile flags, and says so"
