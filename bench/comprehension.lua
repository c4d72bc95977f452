local doubled = {}
for x = 0, 999999 do doubled[#doubled + 1] = x * 2 end
print(#doubled)
