#!/usr/bin/env bash
# Prints a passwd-style file of COUNT accounts, the input of bench/set/lines.*: system and login
# accounts mixed, with five shells in turn. Usage: bash bench/passwd.sh COUNT
awk -v count="$1" 'BEGIN {
  split("/bin/bash /usr/bin/zsh /usr/sbin/nologin /usr/bin/fish /bin/bash", shells, " ")
  for (i = 0; i < count; i++) {
    uid = (i * 37) % 3000
    printf "user%d:x:%d:%d:User number %d:/home/user%d:%s\n", i, uid, uid, i, i, shells[i % 5 + 1]
  }
}'
