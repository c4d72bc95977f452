def push(xs, x):
    xs.append(x)
    return xs
total = 0
for round in range(20):
    seen = []
    for i in range(10000):
        seen = push(seen, i)
    total += len(seen) + seen[-1]
print(total)
