local letters = "abcdefghijklmnopqrstuvwxyz"
local count = 0
for n = 0, 20000 - 1 do
  local s = ""
  for k = 0, 40 - 1 do
    local at = (n + k * 7) % 26 + 1
    s = s .. letters:sub(at, at)
  end
  local i = 1
  while i <= #s do
    if s:sub(i, i) == "e" then count = count + 1 end
    i = i + 1
  end
end
print(count)
