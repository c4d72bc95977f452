# Forty unclosed brackets and parentheses: each begins two alternatives (comprehension or list,
# tuple or parenthesised expression), which once made the parse take 2^40 steps.
printf 'x = %s\n' "$(printf '[(%.0s' {1..20})" > input.ost
ulimit -t 10
