#!/usr/bin/env bash
# Installs a build into a throwaway DESTDIR, as `make install DESTDIR=...` does, and checks that the
# installed program runs and that the guide is beside it. Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
destdir=$(mktemp -d /tmp/ostrel-install.XXXXXX)
trap 'rm -rf "$destdir"' EXIT

DESTDIR=$destdir cmake --install "$build" --prefix /usr/local >/dev/null
DESTDIR=$destdir cmake --install "$build" --prefix /opt/ostrel >/dev/null
for prefix in /usr/local /opt/ostrel; do
  root=$destdir$prefix
  [ -x "$root/bin/ostrel" ] || { echo "no executable $root/bin/ostrel"; exit 1; }
  [ -s "$root/share/doc/ostrel/guide.md" ] || { echo "no guide in $root/share/doc/ostrel"; exit 1; }
  answer=$(cd "$destdir" && "$root/bin/ostrel" eval 'print("installed", 6 * 7)')
  [ "$answer" = "installed 42" ] || { echo "the installed program printed: $answer"; exit 1; }
done
leftovers=$(find "$destdir" -type f | sed "s|^$destdir||" | sort | tr '\n' ' ')
expected="/opt/ostrel/bin/ostrel /opt/ostrel/share/doc/ostrel/guide.md /usr/local/bin/ostrel /usr/local/share/doc/ostrel/guide.md "
[ "$leftovers" = "$expected" ] || { echo "installed files: $leftovers"; exit 1; }
echo "install: ostrel and the guide installed under both prefixes"
