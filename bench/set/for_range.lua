local total = 0
for i = 0, 6000000 - 1 do
  total = (total + i * 7) % 1000003
end
print(total)
