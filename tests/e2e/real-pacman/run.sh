#!/usr/bin/env bash
# Drives the real pacman from an Ostrel script: builds a one-package repository by hand, points a
# pacman wrapper at a throwaway root, then updates, installs, queries, searches and removes the
# package through pacman.*. Needs root (pacman insists on it) and pacman itself; without them it
# says it was skipped and passes.
set -euo pipefail
ostrel=$(realpath "$1")
here=$(dirname "$(realpath "$0")")

if [ "$(id -u)" != 0 ]; then echo "stdlib-pacman-real: skipped (needs root)"; exit 0; fi
for tool in pacman bsdtar; do
  command -v "$tool" >/dev/null || { echo "stdlib-pacman-real: skipped ($tool is not installed)"; exit 0; }
done
real_pacman=$(command -v pacman)

work=$(mktemp -d /tmp/ostrel-pacman.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{package/usr/share/ostrel-demo,repo,root/var/lib/pacman,cache,gnupg,bin}

# The package: a .PKGINFO and one file, tarred the way makepkg would.
echo "hello from ostrel-demo" >"$work/package/usr/share/ostrel-demo/greeting.txt"
cat >"$work/package/.PKGINFO" <<INFO
pkgname = ostrel-demo
pkgbase = ostrel-demo
pkgver = 1.0-1
pkgdesc = Ostrel demonstration package
url = https://example.invalid
builddate = 1700000000
packager = Ostrel Tests <tests@example.invalid>
size = 23
arch = any
license = MIT
INFO
package_file=ostrel-demo-1.0-1-any.pkg.tar.gz
(cd "$work/package" && bsdtar -czf "$work/repo/$package_file" .PKGINFO usr)

# The repository database: one desc entry per package, as repo-add writes it.
entry="$work/db/ostrel-demo-1.0-1"
mkdir -p "$entry"
cat >"$entry/desc" <<DESC
%FILENAME%
$package_file

%NAME%
ostrel-demo

%BASE%
ostrel-demo

%VERSION%
1.0-1

%DESC%
Ostrel demonstration package

%CSIZE%
$(stat -c %s "$work/repo/$package_file")

%ISIZE%
23

%SHA256SUM%
$(sha256sum "$work/repo/$package_file" | cut -d' ' -f1)

%URL%
https://example.invalid

%LICENSE%
MIT

%ARCH%
any

%BUILDDATE%
1700000000

%PACKAGER%
Ostrel Tests <tests@example.invalid>

DESC
(cd "$work/db" && bsdtar -czf "$work/repo/ostreltest.db" ostrel-demo-1.0-1)

cat >"$work/pacman.conf" <<CONF
[options]
Architecture = auto
SigLevel = Never

[ostreltest]
Server = file://$work/repo
CONF

# Every pacman call, also the ones made through sudo, lands in the throwaway root. The sudo
# stand-in is used even where sudo exists: the real one would reset PATH and reach the host's
# own package database.
cat >"$work/bin/pacman" <<WRAPPER
#!/bin/sh
exec "$real_pacman" --root "$work/root" --dbpath "$work/root/var/lib/pacman" --config "$work/pacman.conf" \\
  --cachedir "$work/cache" --logfile "$work/pacman.log" --gpgdir "$work/gnupg" "\$@"
WRAPPER
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/pacman" "$work/bin/sudo"

status=0
(cd "$work" && env -i PATH="$work/bin:$PATH" HOME="$work" OSTREL_PACMAN_ROOT="$work/root" \
  ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
  "$ostrel" run "$here/script.ost" </dev/null >"$work/stdout" 2>"$work/stderr") || status=$?

# pacman's own chatter (dates, progress) varies; the script's "check" lines and the streamed
# lines named in expected must not.
failed=0
grep '^check ' "$work/stdout" >"$work/checks" || true
if ! cmp -s "$here/expected" "$work/checks"; then
  echo "--- check lines differ:"; diff "$here/expected" "$work/checks" || true; failed=1
fi
for streamed in "installing ostrel-demo..." "Version         : 1.0-1" "removing ostrel-demo..."; do
  grep -qxF "$streamed" "$work/stdout" || { echo "--- pacman's line '$streamed' did not reach the output"; failed=1; }
done
[ "$status" = 0 ] || { echo "--- exit status $status"; failed=1; }
[ ! -s "$work/stderr" ] || { echo "--- standard error:"; cat "$work/stderr"; failed=1; }
if [ $failed = 1 ]; then echo "--- full output:"; cat "$work/stdout"; exit 1; fi
echo "stdlib-pacman-real: passed"
