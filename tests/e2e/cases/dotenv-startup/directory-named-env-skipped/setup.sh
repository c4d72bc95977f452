mkdir -p sub/.env && cd sub
