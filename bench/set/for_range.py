total = 0
for i in range(6000000):
    total = (total + i * 7) % 1000003
print(total)
