# Shared by the stand-ins for sudo, pacman, yay and systemctl: where their state lives and how they
# log. FAKE_ARCH names a directory holding the machine's state as plain lists, one entry a line:
#   repo, aur      packages that can be installed: "name version description"
#   installed      installed packages: "name version"
#   units          known service units: "name.service"
#   active, enabled  the units that are running and that start at boot
#   log            every program run with its arguments, as "program [arg] [arg]"
#   broken         commands made to fail, as "program first-argument" (such as "systemctl enable"):
#                  they print an error and exit with status 1, to inject failures
# FAKE_ROOT is set by the fake sudo, so the others can refuse what needs root.
state=${FAKE_ARCH:?FAKE_ARCH must name the state directory of the fake machine}
for list in repo aur installed units active enabled log broken; do [ -f "$state/$list" ] || : >"$state/$list"; done
{ printf '%s' "${0##*/}"; for a in "$@"; do printf ' [%s]' "$a"; done; echo; } >>"$state/log"
if awk -v c="${0##*/} ${1:-}" '$0 == c { found = 1 } END { exit !found }' "$state/broken"; then
  echo "error: ${0##*/} ${1:-} failed" >&2
  exit 1
fi

# has LIST NAME: NAME is the first word of a line of LIST.
has() { awk -v n="$2" '$1 == n { found = 1 } END { exit !found }' "$state/$1"; }
# entry LIST NAME: the line of LIST whose first word is NAME.
entry() { awk -v n="$2" '$1 == n { print; exit }' "$state/$1"; }
# add LIST LINE replaces the line of the same first word; drop LIST NAME removes it.
drop() { awk -v n="$2" '$1 != n' "$state/$1" >"$state/$1.new" && mv "$state/$1.new" "$state/$1"; }
add() { drop "$1" "${2%% *}"; echo "$2" >>"$state/$1"; }
# Refuses, as pacman does, a change to the system made without root.
need_root() {
  [ -n "${FAKE_ROOT:-}" ] && return 0
  echo "error: you cannot perform this operation unless you are root." >&2
  exit 1
}
# The short form of "pacman -Qi NAME" that both package managers print.
query_info() {
  has installed "$1" || { echo "error: package '$1' was not found" >&2; exit 1; }
  echo "Name            : $1"
  version=$(entry installed "$1" | cut -d ' ' -f 2)
  echo "Version         : $version"
}
