words = ["delta", "alpha", "echo", "bravo", "charlie", "foxtrot", "golf", "hotel"]
less = 0
same = 0
kept = 0
for i in range(200000):
    a = words[i % 8]
    b = words[(i * 3) % 8]
    if a < b:
        less += 1
    if a == b:
        same += 1
    kept += len(list(filter(lambda w: w < a, words)))
print(less, same, kept)
