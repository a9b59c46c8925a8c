#!/usr/bin/env bash
# tavrin-cli user: a filter built from sections, its stages and its gain on the grid.
set -euo pipefail
cli="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= t) }'; }

json=$("$cli" user --section "2 bandstop q q=2 wp=1000 wz=1000" --section "2 bandstop q q=2 wp=1000 wz=1500" \
  --section "1 lowpass poles p=100 to=3" --json)
[ "$(jq -r '[.stages[].type] | join(",")' <<<"$json")" = "SN,SLPN,FLP" ] || fail "section types: $(jq -c '[.stages[].type]' <<<"$json")"
[ "$(jq .order <<<"$json")" = 5 ] || fail "order"
near "$(jq .K <<<"$json")" 3 1e-12 || fail "K is the product of To"
[ "$(jq '.points | length' <<<"$json")" = 351 ] || fail "351 grid points"
# A decade below the lowest (100) and above the highest (1000) section frequency.
near "$(jq .start <<<"$json")" 10 1e-9 || fail "range start"
near "$(jq .stop <<<"$json")" 10000 1e-6 || fail "range stop"
# Near DC: the first-order lowpass gives its To (3), the symmetric notch 1 and the lowpass
# notch wz^2/wp^2 = 2.25.
near "$(jq '.points[0].vv' <<<"$json")" 6.75 0.05 || fail "gain near DC: $(jq '.points[0].vv' <<<"$json")"
near "$(jq .G <<<"$json")" "$(jq '[.points[].vv] | max' <<<"$json")" 1e-12 || fail "G is the peak gain"

# Refusals carry the window's messages.
if err=$("$cli" user --section "2 lowpass q q=0.5 wp=10" 2>&1); then fail "Q of 0.5 accepted"; fi
grep -q "Q must be >0.5." <<<"$err" || fail "Q message: $err"
if err=$("$cli" user --section "2 lowpass q q=1 wp=0" 2>&1); then fail "zero accepted"; fi
grep -q "Value must be non-zero." <<<"$err" || fail "zero message: $err"
args=()
for i in 1 2 3 4 5 6 7 8 9 10; do args+=(--section "2 lowpass q q=1 wp=$i"); done
args+=(--section "1 lowpass poles p=1")
if err=$("$cli" user "${args[@]}" 2>&1); then fail "order 21 accepted"; fi
grep -q "Unable to add section as maximum filter order of 20 will be exceeded." <<<"$err" || fail "order message: $err"

"$cli" user --help | grep -q "ORDER TYPE MODE" || fail "section syntax in --help"
echo ok
