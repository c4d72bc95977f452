#!/usr/bin/env bash
# Installs everything the project needs on Debian 12, as root, without questions.
# Does nothing when every package is already present.
set -euo pipefail
packages=(
  g++ cmake make pkg-config libc6-dev
  tao-pegtl-dev libcli11-dev libfmt-dev libutf8proc-dev
  libgtest-dev googletest
  pacman-package-manager libarchive-tools
  lua5.4 python3
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} = 0 ] && exit 0
sudo_cmd=()
[ "$(id -u)" = 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
