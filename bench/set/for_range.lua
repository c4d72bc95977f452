local total = 0
for i = 0, 5999999 do
  total = (total + i * 7) % 1000003
end
print(total)
