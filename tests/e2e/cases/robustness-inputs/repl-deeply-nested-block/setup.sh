# 3,000 conditionals nested one per line, typed into the interactive loop. Gathering the lines
# once took time that grew with the square of the pending input; the CPU limit catches that.
indent=''
for ((i = 0; i < 3000; i++)); do
  printf '%sif 1:\n' "$indent"
  indent+=$'\t'
done > input
printf '%s7\n' "$indent" >> input
exec < input
ulimit -t 8
