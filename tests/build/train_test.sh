#!/usr/bin/env bash
# The training of the profile-guided build, with a stand-in for the instrumented program: a
# failing program fails it, and publishing touches exactly the count files whose content changed,
# so that the optimised build recompiles those objects and no others.
# Usage: train_test.sh TRAIN_SCRIPT
set -euo pipefail
train=$(realpath "$1")
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
raw=$tree/raw
counts=$tree/counts
fail() { echo "$*"; exit 1; }

# The stand-in writes the counts laid out in $tree/next (as an instrumented program writes to the
# directory it was built with; the training clears the environment) and fails on the fib program
# while $tree/broken exists.
cat >"$tree/ostrel" <<EOF
#!/usr/bin/env bash
grep -q 'def fib' "\$2" && [ -e "$tree/broken" ] && { echo "Runtime error: broken" >&2; exit 1; }
mkdir -p "$raw"
cp "$tree"/next/* "$raw"/ 2>/dev/null
exit 0
EOF
chmod +x "$tree/ostrel"
mkdir "$tree/next"
printf 1 >"$tree/next/a.gcda"
printf 1 >"$tree/next/b.gcda"
printf 1 >"$tree/next/gone.gcda"

bash "$train" "$tree/ostrel" "$raw" "$counts" || fail "a successful training failed"
[ "$(cat "$counts/a.gcda" "$counts/b.gcda" "$counts/gone.gcda")" = 111 ] || fail "counts not published"

# Unchanged counts keep their time; changed ones are replaced; those no longer written go.
touch -d '2000-01-01' "$counts"/*.gcda
printf 2 >"$tree/next/b.gcda"
rm "$tree/next/gone.gcda"
bash "$train" "$tree/ostrel" "$raw" "$counts" || fail "the second training failed"
[ "$(stat -c %Y "$counts/a.gcda")" = "$(date -d 2000-01-01 +%s)" ] || fail "unchanged counts were rewritten"
[ "$(cat "$counts/b.gcda")" = 2 ] || fail "changed counts were not published"
[ ! -e "$counts/gone.gcda" ] || fail "counts of a vanished object were kept"

touch "$tree/broken"
if message=$(bash "$train" "$tree/ostrel" "$raw" "$counts" 2>&1); then fail "a failing program passed the training"; fi
[[ $message == *"fib.ost failed:"*"Runtime error: broken"* ]] || fail "unexpected message: $message"
rm "$tree/broken"

rm "$tree"/next/*
if message=$(bash "$train" "$tree/ostrel" "$raw" "$counts" 2>&1); then fail "a training without counts passed"; fi
[[ $message == *"wrote no counts"* ]] || fail "unexpected message: $message"
echo "train: failures fail it, and only changed counts are published"
