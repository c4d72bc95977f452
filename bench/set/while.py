i = 0
total = 0
while i < 5000000:
    total = (total + i * 3) % 1000003
    i += 1
print(total)
