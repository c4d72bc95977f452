# 12,000 nested parentheses, one per line (a block comment may hold a line break), so the
# error line stays short.
{ printf 'x = '; printf '(/*\n*/%.0s' {1..12000}; printf '1'; printf ')%.0s' {1..12000}; printf '\n'; } > input.ost
