def count(words, rounds):
    less = 0
    same = 0
    kept = 0
    for i in range(rounds):
        a = words[i % 8]
        b = words[(i * 3) % 8]
        if a < b:
            less += 1
        if a == b:
            same += 1
        kept += len(list(filter(lambda w: w < a, words)))
    return [less, same, kept]
r = count(["delta", "alpha", "echo", "bravo", "charlie", "foxtrot", "golf", "hotel"], 200000)
print(r[0], r[1], r[2])
