def adder(n):
    return lambda x: x + n
def scaler(n):
    return lambda x: x * n
xs = list(range(1000))
total = 0
for k in range(2400):
    ys = list(map(adder(k), xs))
    zs = list(filter(lambda y: y % 3 == 0, ys))
    total = (total + sum(map(scaler(2), zs))) % 1000003
print(total)
