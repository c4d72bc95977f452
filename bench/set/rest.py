# Python's [x, *rest] copies the rest on every level: the same recursion walks an index instead,
# the linear work a rest that shares the list's storage does.
import sys
sys.setrecursionlimit(10 ** 6)
def total(xs, i):
    return 0 if i == len(xs) else xs[i] + total(xs, i + 1)
xs = list(range(1500))
sum = 0
for round in range(100):
    sum += total(xs, 0)
print(sum)
