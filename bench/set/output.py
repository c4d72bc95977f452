for i in range(300000):
    print("line", i)
