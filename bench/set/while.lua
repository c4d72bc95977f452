local i = 0
local total = 0
while i < 5000000 do
  total = (total + i * 3) % 1000003
  i = i + 1
end
print(total)
