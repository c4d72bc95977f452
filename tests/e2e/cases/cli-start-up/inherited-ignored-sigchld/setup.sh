trap '' CHLD
