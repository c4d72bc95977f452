local function map(f, xs)
  local out = {}
  for i = 1, #xs do out[i] = f(xs[i]) end
  return out
end
local function filter(f, xs)
  local out = {}
  for i = 1, #xs do if f(xs[i]) then out[#out + 1] = xs[i] end end
  return out
end
local function sum(xs)
  local total = 0
  for i = 1, #xs do total = total + xs[i] end
  return total
end
local function adder(n) return function(x) return x + n end end
local function scaler(n) return function(x) return x * n end end
local xs = {}
for i = 0, 1000 - 1 do xs[#xs + 1] = i end
local total = 0
for k = 0, 2400 - 1 do
  local ys = map(adder(k), xs)
  local zs = filter(function(y) return y % 3 == 0 end, ys)
  total = (total + sum(map(scaler(2), zs))) % 1000003
end
print(total)
