#!/usr/bin/env bash
# After a moment the screen shows the swarm: many lit pixels in many colours, changing
# from one moment to the next.
source "$(dirname "$0")/lib.sh"

start_xvfb "$WORK"
start_comets
sleep 1
read -r first_hash lit colours < <(snapshot)
sleep 0.3
read -r second_hash _ _ < <(snapshot)
echo "lit pixels: $lit, colours: $colours"
((lit > 5000)) || fail "only $lit lit pixels on the screen"
((colours > 50)) || fail "only $colours colours on the screen"
[[ $first_hash != "$second_hash" ]] || fail "the picture did not move"
hold_key Escape
expect_exit 0
echo "PASS: the swarm is drawn and moves"
