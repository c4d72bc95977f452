local doubled = {}
for x = 0, 3999999 do doubled[#doubled + 1] = x * 2 end
print(#doubled)
