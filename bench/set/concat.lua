local open, close = "<", ">"
local total = 0
for round = 1, 5 do
  local s = ""
  for i = 0, 20000 - 1 do
    s = s .. open .. tostring(i % 10) .. close
  end
  total = total + #s
end
print(total)
