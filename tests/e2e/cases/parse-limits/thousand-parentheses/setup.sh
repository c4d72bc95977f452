# x = (((...1...))) with a thousand parentheses: each level may be tried twice (tuple, then
# parenthesised expression), so this only finishes quickly with the expression memo.
{ printf 'x = '; printf '(%.0s' {1..1000}; printf '1'; printf ')%.0s' {1..1000}; printf '\n'; } > input.ost
