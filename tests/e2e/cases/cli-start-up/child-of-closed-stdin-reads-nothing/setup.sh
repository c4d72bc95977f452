exec <&-
