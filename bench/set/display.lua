-- Lua has no display of tables: this one writes what Ostrel and Python print, into one buffer.
local function display(value, parts)
  if type(value) ~= "table" then
    parts[#parts + 1] = tostring(value)
    return
  end
  parts[#parts + 1] = "["
  for i, element in ipairs(value) do
    if i > 1 then parts[#parts + 1] = ", " end
    display(element, parts)
  end
  parts[#parts + 1] = "]"
end
local d = {1}
for i = 1, 20 do d = {d, d} end
local parts = {}
display(d, parts)
print(#table.concat(parts))
