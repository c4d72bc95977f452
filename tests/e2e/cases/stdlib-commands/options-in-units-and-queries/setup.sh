# Fake sudo, pacman, yay and systemctl that log their argument vectors and print one line.
mkdir -p bin
record='{ printf "%s" "${0##*/}"; for a in "$@"; do printf " [%s]" "$a"; done; echo; } >>"$FAKE_LOG"'
printf '#!/bin/sh\n%s\nexec "$@"\n' "$record" >bin/sudo
for name in pacman yay systemctl; do
  printf '#!/bin/sh\n%s\necho "${0##*/} ran"\n' "$record" >bin/$name
done
chmod +x bin/*
export FAKE_LOG=$PWD/log PATH=$PWD/bin:$PATH
