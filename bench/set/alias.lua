local total = 0
for round = 1, 20 do
  local seen = {}
  for i = 0, 10000 - 1 do
    local before = seen
    total = total + #before
    seen[#seen + 1] = i
  end
end
print(total)
