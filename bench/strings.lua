local parts = {}
local i = 0
while i < SIZE do
  parts[#parts + 1] = "xy"
  i = i + 1
end
print(#table.concat(parts))
