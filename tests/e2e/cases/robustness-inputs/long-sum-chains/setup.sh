# Sums of 20,000 terms written out in one expression. Each partial sum was once copied whole, so
# the string chain copied 200 GB; the CPU limit catches a return of that.
{
  printf 'var s = "x" * 1000\nvar l = [1, 2, 3]\n'
  printf 'print(len(""%s))\n' "$(printf ' + s%.0s' {1..20000})"
  printf 'print(len([]%s))\n' "$(printf ' + l%.0s' {1..20000})"
  printf 'print(s + "y" + "z" == s + "yz", l + [4] + [5])\n'
} > main.ost
ulimit -t 20
