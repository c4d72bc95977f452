total = 0
for round in range(20):
    seen = []
    for i in range(10000):
        before = seen
        total += len(before)
        seen.append(i)
print(total)
