exec 0</
