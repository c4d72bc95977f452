local function f3(a, b, c) return a + b * c end
local function f4(a, b, c, d) return a * b - c + d end
local function f5(a, b, c, d, e) return (f4(a, b, c, d) + f3(c, d, e)) % 1000003 end
local total = 0
local i = 0
while i < 1200000 do
  total = (total + f5(i, 3, 5, 7, 11)) % 1000003
  i = i + 1
end
print(total)
