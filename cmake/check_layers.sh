#!/usr/bin/env bash
# Fails when a source file includes a header of a layer that its own layer does not build on.
# Usage: check_layers.sh SRC_DIR LAYER=DEP,DEP... ...
# Each argument names a layer (a directory of SRC_DIR) and the layers it links directly, as the
# build declares them; a layer may include its own headers and those of every layer below it.
set -euo pipefail
src=$1
shift
declare -A direct
for spec in "$@"; do direct[${spec%%=*}]=${spec#*=}; done

# The layer and everything below it, as " a b c ".
reachable() {
  local seen=" $1 " queue=("$1") layer dep deps
  while ((${#queue[@]})); do
    layer=${queue[0]}
    queue=("${queue[@]:1}")
    IFS=, read -ra deps <<<"${direct[$layer]:-}"
    for dep in "${deps[@]}"; do
      [[ -z $dep || $seen == *" $dep "* ]] && continue
      seen+="$dep "
      queue+=("$dep")
    done
  done
  echo "$seen"
}

status=0
for layer in "${!direct[@]}"; do
  allowed=$(reachable "$layer")
  while IFS=: read -r file line text; do
    [[ $text =~ ^#include\ \"([^/\"]+)/ ]] || continue
    included=${BASH_REMATCH[1]}
    if [[ $allowed != *" $included "* ]]; then
      echo "$file:$line: the $layer layer does not build on $included: $text" >&2
      status=1
    fi
  done < <(grep -rnE '^#include "[^/"]+/' "$src/$layer" || true)
done
exit $status
