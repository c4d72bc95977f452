local d = {alpha = 1, bravo = 2, charlie = 3, delta = 4, echo = 5, foxtrot = 6, golf = 7, hotel = 8, india = 9, juliet = 10, kilo = 11, lima = 12, mike = 13, november = 14, oscar = 15, papa = 16, quebec = 17, romeo = 18, sierra = 19, tango = 20, uniform = 21, victor = 22, whiskey = 23, xray = 24, yankee = 25, zulu = 26}
local keys = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf", "hotel", "india", "juliet", "kilo", "lima", "mike", "november", "oscar", "papa", "quebec", "romeo", "sierra", "tango", "uniform", "victor", "whiskey", "xray", "yankee", "zulu"}
local total = 0
for i = 0, 3000000 - 1 do
  total = total + d[keys[i % 26 + 1]]
end
print(total)
