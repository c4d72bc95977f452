# 1,000 times "[({-(" and no closing bracket: every alternative that opens with the same bracket
# meets the same failure, so the parse must not try it again and again (one per line, as above).
{ printf 'x = '; printf '[({-(/*\n*/%.0s' {1..1000}; printf '\n'; } > input.ost
