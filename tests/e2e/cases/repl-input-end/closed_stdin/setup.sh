exec 0<&-
