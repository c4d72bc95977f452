letters = "abcdefghijklmnopqrstuvwxyz"
count = 0
for n in range(20000):
    s = ""
    for k in range(40):
        s += letters[(n + k * 7) % 26]
    i = 0
    while i < len(s):
        if s[i] == "e":
            count += 1
        i += 1
print(count)
