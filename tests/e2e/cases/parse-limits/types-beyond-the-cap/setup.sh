# A parenthesised type nested 12,000 deep, one parenthesis per line.
{ printf 'type T = '; printf '(/*\n*/%.0s' {1..12000}; printf 'A'; printf ')%.0s' {1..12000}; printf '\n'; } > input.ost
