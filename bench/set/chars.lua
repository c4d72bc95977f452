local function walk(text)
  local digits, lower, other = 0, 0, 0
  local i = 1
  local n = #text
  while i <= n do
    local c = text:sub(i, i)
    if c >= "0" and c <= "9" then
      digits = digits + 1
    elseif c >= "a" and c <= "z" then
      lower = lower + 1
    else
      other = other + 1
    end
    i = i + 1
  end
  return {digits, lower, other}
end
local r = walk(string.rep("sshd[4242]: Accepted key for admin from 10.0.3.17 port 52144\n", 100000))
print(r[1] .. " " .. r[2] .. " " .. r[3])
