mkdir sub && printf "OTHER=1\n" > sub/.env && cd sub
