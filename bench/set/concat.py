open = "<"
close = ">"
total = 0
for round in range(5):
    s = ""
    for i in range(20000):
        s = s + open + str(i % 10) + close
    total += len(s)
print(total)
