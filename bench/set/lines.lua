-- The same walk as the Ostrel script, character by character, to compare interpreters.
local f = assert(io.open("passwd.txt"))
local text = f:read("a")
f:close()
local humans, bash_users, system_ids = 0, 0, 0
local fields = {}
local field = ""
local i = 1
local n = #text
while i <= n do
  local c = text:sub(i, i)
  if c == ":" then
    fields[#fields + 1] = field
    field = ""
  elseif c == "\n" then
    fields[#fields + 1] = field
    local uid = tonumber(fields[3])
    if uid >= 1000 then
      humans = humans + 1
      if fields[7] == "/bin/bash" then bash_users = bash_users + 1 end
    else
      system_ids = system_ids + uid
    end
    fields = {}
    field = ""
  else
    field = field .. c
  end
  i = i + 1
end
print(humans .. " " .. bash_users .. " " .. system_ids)
