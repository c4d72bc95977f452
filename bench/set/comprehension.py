doubled = [x * 2 for x in range(4000000)]
print(len(doubled))
