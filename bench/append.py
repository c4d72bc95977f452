xs = []
i = 0
while i < SIZE:
    xs.append(i)
    i = i + 1
print(len(xs))
