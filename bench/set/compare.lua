local function filter(keep, list)
  local result = {}
  for _, v in ipairs(list) do
    if keep(v) then result[#result + 1] = v end
  end
  return result
end
local function count(words, rounds)
  local less, same, kept = 0, 0, 0
  for i = 0, rounds - 1 do
    local a = words[i % 8 + 1]
    local b = words[(i * 3) % 8 + 1]
    if a < b then less = less + 1 end
    if a == b then same = same + 1 end
    kept = kept + #filter(function(w) return w < a end, words)
  end
  return {less, same, kept}
end
local r = count({"delta", "alpha", "echo", "bravo", "charlie", "foxtrot", "golf", "hotel"}, 200000)
print(r[1] .. " " .. r[2] .. " " .. r[3])
