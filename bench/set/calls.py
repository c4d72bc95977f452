def f3(a, b, c):
    return a + b * c
def f4(a, b, c, d):
    return a * b - c + d
def f5(a, b, c, d, e):
    return (f4(a, b, c, d) + f3(c, d, e)) % 1000003
total = 0
i = 0
while i < 1200000:
    total = (total + f5(i, 3, 5, 7, 11)) % 1000003
    i += 1
print(total)
