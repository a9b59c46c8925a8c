#!/usr/bin/env bash
# tavrin-cli circuit: one circuit's analysis from typed component values.
set -euo pipefail
cli="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sallen-Key lowpass, R1 = R2 = 10 kOhm, C1 = 10 nF, C2 = 20 nF: b0 = 1/(R1 R2 C1 C2) = 5e7,
# b1 = (R1 + R2)/(R1 R2 C2) = 1e4, numerator b0, K = 1, wp = sqrt(5e7), Qp = 1/sqrt(2).
out=$("$cli" circuit SLP01 --R 10k,10k --C 10n,20n)
grep -qx "K = 1" <<<"$out" || fail "SLP01 K: $out"
grep -qx "numerator   a3 a2 a1 a0: 0 0 0 50000000" <<<"$out" || fail "SLP01 numerator: $out"
grep -qx "denominator b3 b2 b1 b0: 0 1 10000 50000000" <<<"$out" || fail "SLP01 denominator: $out"
grep -qx "wp = 7071.067812 rad/s" <<<"$out" || fail "SLP01 wp: $out"
grep -qx "Qp = 0.7071067812" <<<"$out" || fail "SLP01 Qp: $out"
grep -qx "wz = -" <<<"$out" || fail "a lowpass has no wz: $out"
grep -qx "inverting: no" <<<"$out" || fail "SLP01 does not invert: $out"
grep -qx ".SUBCKT SLP1 1 2" <<<"$out" || fail "subcircuit header: $out"
grep -qE "^ +XA1 4 2 2 IDEALOP$" <<<"$out" || fail "op-amp line with the VCVS model: $out"
grep -qx ".ENDS SLP1" <<<"$out" || fail "subcircuit end: $out"

# JSON: every field, null where a value does not exist.
json=$("$cli" circuit SLP01 --R 10k,10k --C 10n,20n --json)
for field in '"code":"SLP01"' '"id":11' '"index":8' '"type":"SLP"' '"R":\[10000.0,10000.0\]' \
             '"C":\[1e-08,2e-08\]' '"K":1.0' '"num":\[0.0,0.0,0.0,50000000.0\]' \
             '"den":\[0.0,1.0,10000.0,50000000.0\]' '"inverting":false' '"cubic":false' '"wz":null' \
             '"subckt":".SUBCKT SLP1 1 2\\n'; do
  grep -q "$field" <<<"$json" || fail "JSON lacks $field: $json"
done
[ "$(grep -c . <<<"$json")" -eq 1 ] || fail "JSON is one line"

# SPICE scale factors: MEG is mega, M is milli.  FLP01: w = 1/(R1 C1).
grep -q '"wp":1000.0' <<<"$("$cli" circuit FLP01 --R 1MEG --C 1n --json)" || fail "1MEG is 1e6"
grep -q '"wp":1000.0' <<<"$("$cli" circuit FLP01 --R 1000000m --C 1u --json)" || fail "m is milli, u micro"
grep -q '"Qp":null' <<<"$("$cli" circuit FLP01 --R 1k --C 1n --json)" || fail "first order has no Qp"

# The program's own value texts read back: resistances as the schematic and report write
# them (a capital M is mega there, as is MEG; a small m stays milli) and capacitances with
# their unit.
ref=$("$cli" circuit SLP01 --R 10k,10k --C 10n,20n --json)
for values in "--R 10K,10K --C 10nF,20nF" "--R 10kohm,0.01MEG --C 0.01uF,20000pF" \
              "--R 1e4,10000 --C 1e-8,2E-8" "--R 0.01M,10000000m --C 10NF,20nf"; do
  # shellcheck disable=SC2086
  [ "$("$cli" circuit SLP01 $values --json)" = "$ref" ] || fail "SLP01 $values reads otherwise than 10k,10k 10n,20n"
done
for r in 1M 1MEG 1meg 1000K; do
  grep -q '"wp":1000.0' <<<"$("$cli" circuit FLP01 --R "$r" --C 1nF --json)" || fail "--R $r is 1e6 ohm"
done
grep -q '"wp":1000.0' <<<"$("$cli" circuit FLP01 --R 1K --C 1uF --json)" || fail "--C 1uF is 1e-6 F"
grep -q '"wp":1000.0' <<<"$("$cli" circuit FLP01 --R 10K --C 100pF --json)" || fail "--C 100pF is 1e-10 F"
grep -q '"wp":1000.0' <<<"$("$cli" circuit FLP01 --R 1 --C 1mF --json)" || fail "--C 1mF is milli"
[ "$("$cli" circuit FLP01 --design --wc 2000 --c1 4.7nF --json)" = \
  "$("$cli" circuit FLP01 --design --wc 2000 --c1 4.7n --json)" ] || fail "--c1 4.7nF is 4.7n"

# A designed stage's netlist values, typed back in, are the designed values to the five
# digits the netlist writes; SLPN01 at 10 Hz has resistors in the megohms ("31.831MEG").
design=$("$cli" circuit SLPN01 --design --wp 62.83185307179586 --qp 10 --wz 188.49555921538757 --json)
values() { jq -r '.subckt' <<<"$design" | awk -v kind="$1" '$1 ~ "^" kind "[0-9]+$" {printf "%s%s", sep, $5; sep=","}'; }
rs=$(values R)
cs=$(values C)
grep -q "MEG" <<<"$rs" || fail "the netlist writes megohms as MEG: $rs"
back=$("$cli" circuit SLPN01 --R "$rs" --C "$cs" --json)
jq -e --argjson d "$design" '[.R, .C] | flatten as $v | [$d.R, $d.C] | flatten as $w |
       ($v | length) == ($w | length) and ([range($v | length) | $v[.] / $w[.] - 1 | fabs] | max < 5e-5)' \
  <<<"$back" >/dev/null || fail "the netlist's values read back: --R $rs --C $cs: $back"
"$cli" circuit --help | grep -q "capital M is mega" || fail "--help states how M reads"

# An inverting bandpass and a cubic twin-T; a notch reports wz.  SBP07 designed for
# Q = 2 at 10 krad/s (R1 = R2 = 1/(w C1), R3 = R1/2, C3 = 2 C1, R4 = R5/(4Q - 1)).
tt=$("$cli" circuit SBP07 --R 10k,10k,5k,1k,7k --C 10n,10n,20n --json)
for field in '"inverting":true' '"cubic":true' '"K":7.0' '"wp":10000.0' '"den":\[1.0,'; do
  grep -q "$field" <<<"$tt" || fail "SBP07 lacks $field: $tt"
done
grep -q '"inverting":true' <<<"$("$cli" circuit SBP12 --R 1k,1k,1k,1k,1k,1k,1k --C 1n,1n --json)" ||
  fail "SBP12 inverts"
grep -qE '"wz":[0-9]' <<<"$("$cli" circuit SN02 --R 2k,2k,1k,1k,1k,1k --C 10n,10n --json)" || fail "SN02 has wz"

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
refuse 'Unknown circuit "XLP01"' XLP01 --R 1k --C 1n
refuse "SLP01 has 2 resistors (R1..R2), 3 given." SLP01 --R 1k,1k,1k --C 1n,1n
refuse "SLP01 has 2 capacitors (C1..C2), 1 given." SLP01 --R 1k,1k --C 1n
refuse "FLP01 has 1 resistor (R1), 0 given." FLP01 --C 1n
refuse 'Not a component value: "2x" (R2).' SLP01 --R 1k,2x --C 1n,1n
refuse 'Not a component value: "" (C2).' SLP01 --R 1k,1k --C 1n,
refuse "Component values must be positive: R2 = 0." SLP01 --R 1k,0 --C 1n,1n
refuse "Component values must be positive: C1 = -1n." SLP01 --R 1k,1k --C=-1n,1n
refuse 'Not a component value: "10nF" (R1).' SLP01 --R 10nF,1k --C 1n,1n
refuse 'Not a component value: "10kohm" (C2).' SLP01 --R 1k,1k --C 1n,10kohm
refuse 'Not a component value: "1.5 M" (R1).' FLP01 --R "1.5 M" --C 1n
refuse 'Not a component value: "  N/A" (R1).' FLP01 --R "  N/A" --C 1n
refuse '--c1 must be a positive number: "10kohm".' FLP01 --design --wc 1000 --c1 10kohm
echo "cli circuit: ok"
