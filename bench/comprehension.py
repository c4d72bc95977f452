doubled = [x * 2 for x in range(1000000)]
print(len(doubled))
