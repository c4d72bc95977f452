#!/usr/bin/env bash
# Installs a build into a throwaway DESTDIR, as `make install DESTDIR=...` does, and checks that the
# installed program runs, that the guide is beside it, and that the guide's links lead to installed
# files, its link to the examples to a copy of every script of examples/.
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
examples=$(realpath "$(dirname "$0")/../../examples")
destdir=$(mktemp -d /tmp/ostrel-install.XXXXXX)
trap 'rm -rf "$destdir"' EXIT

DESTDIR=$destdir cmake --install "$build" --prefix /usr/local >/dev/null
DESTDIR=$destdir cmake --install "$build" --prefix /opt/ostrel >/dev/null
scripts=$(cd "$examples" && ls -- *.ost)
expected=""
for prefix in /usr/local /opt/ostrel; do
  root=$destdir$prefix
  doc=$root/share/doc/ostrel
  [ -x "$root/bin/ostrel" ] || { echo "no executable $root/bin/ostrel"; exit 1; }
  [ -s "$doc/guide.md" ] || { echo "no guide in $doc"; exit 1; }
  answer=$(cd "$destdir" && "$root/bin/ostrel" eval 'print("installed", 6 * 7)')
  [ "$answer" = "installed 42" ] || { echo "the installed program printed: $answer"; exit 1; }

  # The guide's links within the documentation: "](target)", neither an anchor nor a URL.
  links=$(grep -o '](\([^)#:]*\))' "$doc/guide.md" | sed 's/^](\(.*\))$/\1/' | sort -u)
  for link in $links; do
    [ -e "$doc/$link" ] || { echo "the installed guide links to $link, which is not installed"; exit 1; }
  done
  to_examples=$(grep -x '.*examples/' <<<"$links") || { echo "the installed guide has no link to the examples"; exit 1; }
  for script in $scripts; do
    cmp -s "$examples/$script" "$doc/$to_examples$script" || { echo "$to_examples$script is not installed"; exit 1; }
  done

  expected+="$prefix/bin/ostrel $prefix/share/doc/ostrel/guide.md "
  for script in $scripts; do expected+="$prefix/share/doc/ostrel/examples/$script "; done
done
leftovers=$(find "$destdir" -type f | sed "s|^$destdir||" | sort | tr '\n' ' ')
expected=$(tr ' ' '\n' <<<"$expected" | sed '/^$/d' | sort | tr '\n' ' ')
[ "$leftovers" = "$expected" ] || { echo "installed files: $leftovers"; echo "expected: $expected"; exit 1; }
echo "install: ostrel, the guide and its examples installed under both prefixes"
