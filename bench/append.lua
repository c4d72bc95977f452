local xs = {}
local i = 0
while i < SIZE do
  xs[#xs + 1] = i
  i = i + 1
end
print(#xs)
