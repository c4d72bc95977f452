# Each line of the program nested as deeply as the parser accepts on this stack, found by
# bisection with the binary under test ($0): whatever the parser takes runs, and prints the same
# at any depth.
line() {
  local n=$1
  case $2 in
    minus) printf 'var m = '; printf -- '-%.0s' $(seq "$n"); printf '1\nprint(m == 1 or m == -1)\n' ;;
    sum) printf 'print(0 < '; printf -- '(1 + %.0s' $(seq "$n"); printf '1'; printf -- ')%.0s' $(seq "$n"); printf ')\n' ;;
    list) printf 'print(len('; printf -- '[%.0s' $(seq "$n"); printf '1'; printf -- ']%.0s' $(seq "$n"); printf '))\n' ;;
    lambda) printf 'print('; printf -- 'lambda: %.0s' $(seq "$n"); printf '7)\n' ;;
    pattern)
      printf 'print(match '; printf -- '[%.0s' $(seq "$n"); printf '1'; printf -- ']%.0s' $(seq "$n")
      printf ' { '; printf -- '[%.0s' $(seq "$n"); printf 'a'; printf -- ']%.0s' $(seq "$n"); printf ' => a })\n' ;;
  esac
}
deepest() {
  local low=1 high=10001 middle
  while ((low < high)); do
    middle=$(((low + high + 1) / 2))
    line "$middle" "$1" >probe.ost
    if "$0" parse probe.ost >/dev/null 2>&1; then low=$middle; else high=$((middle - 1)); fi
  done
  line "$low" "$1"
}
for kind in minus sum list lambda pattern; do deepest "$kind"; done >deepest.ost
rm -f probe.ost
