# 12,000 prefix minus signs, one per line.
{ printf 'y = 1\nx = '; printf -- '-/*\n*/%.0s' {1..12000}; printf '1\n'; } > input.ost
