# A list pattern nested 12,000 deep, one bracket per line.
{ printf 'match x {\n    '; printf '[/*\n*/%.0s' {1..12000}; printf 'a'; printf ']%.0s' {1..12000}; printf ' => 1\n}\n'; } > input.ost
