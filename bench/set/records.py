hosts = [{"name": "web01", "up": True, "mem": 512, "disk": 20, "zone": "a"}, {"name": "db-primary", "up": True, "mem": 2048, "disk": 200, "zone": "b"}, {"name": "cache", "up": False, "mem": 256, "disk": 10, "zone": "a"}, {"name": "backup-store", "up": True, "mem": 128, "disk": 900, "zone": "c"}, {"name": "mail", "up": False, "mem": 384, "disk": 40, "zone": "b"}, {"name": "gateway", "up": True, "mem": 64, "disk": 4, "zone": "a"}]
def report(hosts, rounds):
    up = 0
    mem = 0
    names = 0
    for round in range(rounds):
        for x in hosts:
            if x["up"]:
                up += 1
            mem += x["mem"]
            names += len(x["name"])
    return [up, mem, names]
r = report(hosts, 200000)
print(r[0], r[1], r[2])
