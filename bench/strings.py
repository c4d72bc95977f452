s = ""
i = 0
while i < SIZE:
    s += "xy"
    i = i + 1
print(len(s))
