def walk(text):
    digits = 0
    lower = 0
    other = 0
    i = 0
    n = len(text)
    while i < n:
        c = text[i]
        if c >= "0" and c <= "9":
            digits += 1
        elif c >= "a" and c <= "z":
            lower += 1
        else:
            other += 1
        i += 1
    return [digits, lower, other]
r = walk("sshd[4242]: Accepted key for admin from 10.0.3.17 port 52144\n" * 100000)
print(r[0], r[1], r[2])
