xs = []
for i in range(1000000):
    xs.append(i * 7 % 1000)
total = 0
i = 0
while i < 1000000:
    total += xs[i * 7919 % 1000000]
    i += 1
print(len(xs), total)
