# The same walk as the Ostrel script, character by character (no split), to compare interpreters.
with open("passwd.txt") as f:
    text = f.read()
humans = 0
bash_users = 0
system_ids = 0
fields = []
field = ""
i = 0
n = len(text)
while i < n:
    c = text[i]
    if c == ":":
        fields.append(field)
        field = ""
    elif c == "\n":
        fields.append(field)
        uid = int(fields[2])
        if uid >= 1000:
            humans += 1
            if fields[6] == "/bin/bash":
                bash_users += 1
        else:
            system_ids += uid
        fields = []
        field = ""
    else:
        field += c
    i += 1
print(humans, bash_users, system_ids)
