def classify(v):
    match v:
        case (0, _):
            return 1
        case (x, y) if x > y:
            return x - y
        case (x, y):
            return y - x + 2
        case []:
            return 3
        case [a]:
            return a
        case [a, b, *rest]:
            return a + b + len(rest)
        case "start":
            return 5
        case "stop":
            return 6
        case n if n > 100:
            return 7
        case _:
            return 8
items = [(0, 5), (7, 3), (2, 9), [], [4], [1, 2, 3, 4], "start", "stop", 250, 42]
total = 0
for i in range(1200000):
    total += classify(items[i % 10])
print(total)
