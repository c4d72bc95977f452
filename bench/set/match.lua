-- Lua has no match: tuples and lists are tagged tables, tested arm by arm in the same order.
local function tuple(...) return {kind = "tuple", ...} end
local function list(...) return {kind = "list", ...} end
local function classify(v)
  if type(v) == "table" and v.kind == "tuple" and #v == 2 then
    local x, y = v[1], v[2]
    if x == 0 then return 1 end
    if x > y then return x - y end
    return y - x + 2
  end
  if type(v) == "table" and v.kind == "list" then
    if #v == 0 then return 3 end
    if #v == 1 then return v[1] end
    return v[1] + v[2] + (#v - 2)
  end
  if v == "start" then return 5 end
  if v == "stop" then return 6 end
  if math.type(v) == "integer" and v > 100 then return 7 end
  return 8
end
local items = {tuple(0, 5), tuple(7, 3), tuple(2, 9), list(), list(4), list(1, 2, 3, 4), "start", "stop", 250, 42}
local total = 0
for i = 0, 1200000 - 1 do
  total = total + classify(items[i % 10 + 1])
end
print(total)
