-- The same recursion over an index: Lua has no rest pattern, and a copied tail would be the
-- quadratic work the Ostrel program must not do.
local function total(xs, i)
  if i > #xs then return 0 end
  return xs[i] + total(xs, i + 1)
end
local xs = {}
for i = 0, 1500 - 1 do xs[#xs + 1] = i end
local sum = 0
for round = 1, 100 do
  sum = sum + total(xs, 1)
end
print(sum)
