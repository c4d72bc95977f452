local function push(xs, x)
  xs[#xs + 1] = x
  return xs
end
local total = 0
for round = 1, 20 do
  local seen = {}
  for i = 0, 10000 - 1 do
    seen = push(seen, i)
  end
  total = total + #seen + seen[#seen]
end
print(total)
