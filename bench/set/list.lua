local xs = {}
for i = 0, 1000000 - 1 do
  xs[#xs + 1] = i * 7 % 1000
end
local total = 0
local i = 0
while i < 1000000 do
  total = total + xs[i * 7919 % 1000000 + 1]
  i = i + 1
end
print(#xs .. " " .. total)
