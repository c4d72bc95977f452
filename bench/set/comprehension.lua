local doubled = {}
for x = 0, 4000000 - 1 do doubled[#doubled + 1] = x * 2 end
print(#doubled)
