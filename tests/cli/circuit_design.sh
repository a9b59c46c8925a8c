#!/usr/bin/env bash
# tavrin-cli circuit --design: one circuit designed for a stage's targets.
set -euo pipefail
cli="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
near() { jq -e --argjson tol "${3:-1e-9}" "(($1) - ($2)) | fabs <= \$tol * (1 + (($2) | fabs))" <<<"$json" >/dev/null; }

# FLP01 at 10000 rad/s: R1 = 1 / (10 nF x 10000) is exactly 10 kOhm, a series value, and the
# design keeps it there; the follower's gain is fixed at 1.
out=$("$cli" circuit FLP01 --design --wc 10000)
grep -qx "R: 10000 ohm" <<<"$out" || fail "FLP01 R1 kept at the series value: $out"
grep -qx "C: 1e-08 F" <<<"$out" || fail "FLP01 C1 from the set-up: $out"
grep -qx "designFailed: no" <<<"$out" || fail "FLP01 designed: $out"
grep -qx "circuitGain = 1" <<<"$out" || fail "FLP01 gain: $out"
grep -qx "gainConstrained: yes" <<<"$out" || fail "FLP01 gain is fixed: $out"
grep -qx "sensitivities: wc K" <<<"$out" || fail "first order shows wc and K: $out"
grep -qx "R1: -1 0" <<<"$out" || fail "S_wc(R1) = -1: $out"
grep -qx "C1: -1 0" <<<"$out" || fail "S_wc(C1) = -1: $out"
grep -qx ".SUBCKT FLP1 1 2" <<<"$out" || fail "designed subcircuit: $out"

# FLP02 at gain 3: R2 = R3 / (K - 1) with the 10 kOhm scale resistor R3, both kept exactly,
# so the realised K is 3.  S_K(R2) = -R3/(R2 + R3) = -2/3.
json=$("$cli" circuit FLP02 --design --wc 2000 --gain 3 --json)
near '.R[0]' 50000 || fail "FLP02 R1 = 1/(C1 wc): $json"
near '.R[1]' 5000 || fail "FLP02 R2: $json"
near '.R[2]' 10000 || fail "FLP02 R3: $json"
near '.K' 3 || fail "FLP02 analysed gain: $json"
near '.circuitGain' 3 || fail "FLP02 circuitGain: $json"
near '.wp' 2000 || fail "FLP02 corner: $json"
near '.sens.R2.K' '-2/3' || fail "FLP02 S_K(R2): $json"
near '.sens.R3.K' '2/3' || fail "FLP02 S_K(R3): $json"
near '.sens.R1.wp' -1 || fail "FLP02 S_wc(R1): $json"
for field in '"designFailed":false' '"gainConstrained":false' '"aw":0.0' '"aq":0.0' '"minGbw":0.0' \
             '"sens":{"R1":{"wp":' '"subckt":".SUBCKT FLP1 1 2'; do
  grep -qF "$field" <<<"$json" || fail "FLP02 JSON lacks $field: $json"
done
[ "$(jq '.sens | keys' -c <<<"$json")" = '["C1","R1","R2","R3"]' ] || fail "one sens row per component: $json"

# A gain the non-inverting stage cannot give is raised to 1.1 and reported as constrained.
json=$("$cli" circuit FHP02 --design --wp 2000 --gain 1.05 --json)
near '.circuitGain' 1.1 || fail "FHP02 gain raised: $json"
near '.K' 1.1 || fail "FHP02 realises it: $json"
[ "$(jq .gainConstrained <<<"$json")" = true ] || fail "FHP02 constrained: $json"

# FHP03 sets its gain with C2 = C1 / K and takes R1 from C2.
json=$("$cli" circuit FHP03 --design --wc 1000 --gain 4 --json)
near '.C[1]' 2.5e-9 || fail "FHP03 C2: $json"
near '.R[0]' 400000 || fail "FHP03 R1: $json"
near '.sens.C1.K' 1 || fail "FHP03 S_K(C1): $json"
near '.sens.C2.K' -1 || fail "FHP03 S_K(C2): $json"
[ "$(jq .inverting <<<"$json")" = true ] || fail "FHP03 inverts: $json"

# A notch: SN02 ties its zero to its pole frequency; a notch's sensitivity rows add wz and the
# notch depth.
json=$("$cli" circuit SN02 --design --wp 6283.185 --qp 3 --wz 6283.185 --json)
near '.wp' 6283.185 || fail "SN02 wp: $json"
near '.wz' 6283.185 || fail "SN02 wz: $json"
near '.Qp' 3 || fail "SN02 Qp: $json"
near '.K' 1 || fail "SN02 gain: $json"
[ "$(jq -c '.sens.R1 | keys' <<<"$json")" = '["K","Qp","depth","wp","wz"]' ] || fail "SN02 notch slots: $json"

# The twin-T lowpass notch is cubic: its gain is (wp/wz)^2 and its rows add the extra real
# pole and zero.
json=$("$cli" circuit SLPN05 --design --wp 6283.185 --qp 2 --wz 12566.37 --json)
near '.K' 0.25 || fail "SLPN05 gain (wp/wz)^2: $json"
near '.wz' 12566.37 || fail "SLPN05 wz: $json"
near '.Qp' 2 || fail "SLPN05 Qp: $json"
[ "$(jq .cubic <<<"$json")" = true ] || fail "SLPN05 is cubic: $json"
jq -e '.sens.R1 | has("pa") and has("pb")' <<<"$json" >/dev/null || fail "SLPN05 pa and pb: $json"
out=$("$cli" circuit SHPN03 --design --wp 6283.185 --qp 4 --wz 3000)
grep -q "^wz = 3000 rad/s" <<<"$out" || fail "SHPN03 shows its zero: $out"

# Refused input: the message on standard error, exit 2, nothing on standard output.
refuse() {
  local expect="$1"; shift
  set +e
  "$cli" circuit "$@" >"$work/out" 2>"$work/err"
  local rc=$?
  set -e
  [ "$rc" -eq 2 ] || fail "circuit $* exits with 2, got $rc"
  [ ! -s "$work/out" ] || fail "circuit $* prints nothing on standard output"
  grep -qF -- "$expect" "$work/err" || fail "circuit $*: expected '$expect', got '$(cat "$work/err")'"
}
refuse "FLP01 is first order: give its corner with --wc (or --wp) in rad/s." FLP01 --design
refuse "SLP01 needs --wp (rad/s) and --qp." SLP01 --design --wp 1000
refuse "SN02 is a notch: give its zero frequency with --wz (rad/s)." SN02 --design --wp 1000 --qp 2
refuse "--design computes the component values; --R and --C are not taken with it." FLP01 --design --wc 1k --R 1k
refuse '--gain must be a positive number: "-2".' FLP03 --design --wc 1k --gain -2
refuse '--variant takes c2var or equal, not "wide".' FLP01 --design --wc 1k --variant wide
refuse 'FLP01 has no " C2 variable" variant.' FLP01 --design --wc 1k --variant c2var
refuse 'FLP02 has no " C1=C2 : R1=R2" variant.' FLP02 --design --wc 1k --variant equal
refuse "FLP01 has no active compensation." FLP01 --design --wc 1k --active
echo ok
