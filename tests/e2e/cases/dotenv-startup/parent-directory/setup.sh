mkdir -p sub/deeper && cd sub/deeper
