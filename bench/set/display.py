d = [1]
for i in range(20):
    d = [d, d]
print(len(str(d)))
