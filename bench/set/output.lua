for i = 0, 300000 - 1 do
  print("line " .. i)
end
