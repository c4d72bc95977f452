local hosts = {{name = "web01", up = true, mem = 512, disk = 20, zone = "a"}, {name = "db-primary", up = true, mem = 2048, disk = 200, zone = "b"}, {name = "cache", up = false, mem = 256, disk = 10, zone = "a"}, {name = "backup-store", up = true, mem = 128, disk = 900, zone = "c"}, {name = "mail", up = false, mem = 384, disk = 40, zone = "b"}, {name = "gateway", up = true, mem = 64, disk = 4, zone = "a"}}
local function report(hosts, rounds)
  local up, mem, names = 0, 0, 0
  for round = 1, rounds do
    for _, x in ipairs(hosts) do
      if x.up then up = up + 1 end
      mem = mem + x.mem
      names = names + #x.name
    end
  end
  return {up, mem, names}
end
local r = report(hosts, 200000)
print(r[1] .. " " .. r[2] .. " " .. r[3])
