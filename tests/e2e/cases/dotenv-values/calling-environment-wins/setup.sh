export GREETING=caller
