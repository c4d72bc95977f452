#!/usr/bin/env bash
# Prints a program of bench/set/ made smaller, for the training run and the output check: every
# integer literal of four digits or more divided by DIVISOR, and fib's argument, whose cost is
# exponential, lowered by ten. The three languages' versions stay alike, so they still agree.
# Usage: bash bench/scale.sh DIVISOR FILE
perl -pe "s/\\b(\\d{4,})\\b/int(\$1 \\/ $1)/ge; s/fib\\((\\d+)\\)/'fib(' . (\$1 - 10) . ')'/ge" "$2"
