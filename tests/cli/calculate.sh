#!/usr/bin/env bash
# tavrin-cli calculate: the results table, the JSON of one Calculate, and refusals with
# the window's exact messages (on standard error, exit status 2, nothing on standard output).
set -euo pipefail
cli="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v jq >/dev/null || fail "jq is needed to read the JSON output"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TAVRIN_HOME="$work/home"

# The window's lowpass defaults: 0.5 dB / 30 dB, 1 kHz / 2 kHz.
out=$("$cli" calculate lowpass)
grep -qx "Order            7        4       4        3         >20" <<<"$out" || fail "order row: $out"
grep -qx "Passband ripple  0 dB     0.5 dB  0 dB     0.5 dB    ---" <<<"$out" || fail "ripple row"
grep -qx "Max. pole Qp     2.2      2.9     1.6      2.0       ---" <<<"$out" || fail "Q row"
grep -q "^Chebyshev: order 4" <<<"$out" || fail "Chebyshev roots section"
grep -q "pole pair 1: -1101.77583 +/- j6385.305244 rad/s" <<<"$out" || fail "Chebyshev pole pair 1"

# JSON: the requirements in rad/s and every slot's roots.
json=$("$cli" calculate lowpass --json)
[ "$(jq -r '.kind' <<<"$json")" = lowpass ] || fail "kind"
[ "$(jq '.selectivity' <<<"$json")" = 2 ] || [ "$(jq '.selectivity' <<<"$json")" = 2.0 ] || fail "selectivity"
jq -e '.bp == null and .w0 == null and (.wpb - 6283.185307179586 | fabs) < 1e-9' <<<"$json" >/dev/null || fail "edges"
[ "$(jq -c '[.slots[].order]' <<<"$json")" = "[7,4,4,3,21]" ] || fail "orders: $(jq -c '[.slots[].order]' <<<"$json")"
[ "$(jq -c '[.slots[].hasResult]' <<<"$json")" = "[true,true,true,true,false]" ] || fail "hasResult"
[ "$(jq -c '[.slots[] | (.poles | length)]' <<<"$json")" = "[7,4,4,3,0]" ] || fail "pole counts"
[ "$(jq -c '[.slots[] | (.zeros | length)]' <<<"$json")" = "[0,0,4,2,0]" ] || fail "zero counts"
jq -e '[.slots[].poles[][0]] | all(. < 0)' <<<"$json" >/dev/null || fail "poles in the left half plane"
jq -e '.slots[2].zeros | all(.[0] == 0)' <<<"$json" >/dev/null || fail "finite zeros on the imaginary axis"
# To of the Butterworth slot is gainNorm * wpb^7 = wpb^7 / eps.
jq -e '(.slots[0].gain / (pow(6283.185307179586; 7) / 0.34931140018894796) - 1 | fabs) < 1e-9' <<<"$json" \
  >/dev/null || fail "Butterworth To"

# A highpass has its zeros at the origin, repeated by multiplicity.
json=$("$cli" calculate highpass --json)
[ "$(jq -c '.slots[0].zeros | unique' <<<"$json")" = "[[0,0]]" ] || fail "highpass zeros at the origin"
[ "$(jq '.slots[0].zeros | length' <<<"$json")" = 7 ] || fail "seven zeros"

# A bandpass forced to order 20: every slot designed with twenty poles.
json=$("$cli" calculate bandpass --order 20 --unit Hz --pass 500 --stop 1000 --center 1000 --json)
[ "$(jq -c '[.slots[] | (.poles | length)]' <<<"$json")" = "[20,20,20,20,20]" ] || fail "order 20"
jq -e '(.w0 - 2000 * 3.141592653589793 | fabs) < 1e-9 and .wpb == null' <<<"$json" >/dev/null || fail "Hz unit"
jq -e '.asb > 0 and (.slots | all(.gain != null))' <<<"$json" >/dev/null || fail "forced asb and gains"

# An excluded slot (largest pole Q above 300) keeps its order but lists no roots.
json=$("$cli" calculate bandpass --order 20 --unit Hz --pass 100 --stop 200 --center 1000 --json)
[ "$(jq -c '[.slots[] | (.poles | length)]' <<<"$json")" = "[20,0,20,0,20]" ] || fail "excluded slots"
[ "$(jq -c '[.slots[].excluded]' <<<"$json")" = "[false,true,false,true,false]" ] || fail "excluded flags"
jq -e '.slots[1].maxQ > 300 and .slots[1].order == 20' <<<"$json" >/dev/null || fail "excluded Q and order"

# Gain in dB.
[ "$("$cli" calculate lowpass --gain 20dB --json | jq '.overallGain')" = 10 ] || fail "20dB is 10 V/V"

# Refusals.
refuse() {
  local expected="$1"
  shift
  set +e
  "$cli" calculate "$@" >"$work/out" 2>"$work/err"
  local rc=$?
  set -e
  [ "$rc" -eq 2 ] || fail "$* exits with 2, got $rc"
  [ ! -s "$work/out" ] || fail "$* prints nothing on standard output"
  [ "$(cat "$work/err")" = "$expected" ] || fail "$*: got '$(cat "$work/err")'"
}
refuse "Maximum order is 20." lowpass --order 21
refuse "Order must be an even number." bandpass --order 7
refuse "An integer number must be entered." lowpass --order ""
refuse "Invalid Number." lowpass --pass 0
refuse "Invalid Number." highpass --stop -1
refuse "Stopband frequency must exceed passband frequency." lowpass --stop 1
refuse "Passband bandwidth must exceed stopband bandwidth." bandstop --stop 2
refuse "$(printf 'Stopband attenuation must exceed passband attenuation.\nStopband frequency must exceed passband frequency.')" \
  lowpass --asb 0.4 --stop 0.5
refuse "All edge and center frequencies are limited to a maximum of 100MHz (628Mrad/s)." bandpass --center 200000
refuse "Maximum allowable overall gain is 60dB (1000V/V)." lowpass --gain 61dB
refuse "Minimum allowable overall gain is 0.1V/V." lowpass --gain 0.05
refuse "Floating point overflow. Try using smaller numbers." lowpass --asb 99999
set +e
"$cli" calculate >/dev/null 2>&1
rc=$?
set -e
[ "$rc" -eq 2 ] || fail "no KIND exits with 2"
echo "cli calculate: ok"
