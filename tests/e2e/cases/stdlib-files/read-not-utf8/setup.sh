printf 'caf\351' >latin1.txt
