#!/usr/bin/env bash
# tavrin-cli stages: automatic pairing and cascading of one approximation.
set -euo pipefail
cli="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

# An odd Butterworth lowpass: the default criteria put the first-order stage first.
json=$("$cli" stages lowpass --apb 3 --asb 30 --pass 1000 --stop 2000 --approx Butterworth --json)
[ "$(jq -r .approximation <<<"$json")" = Butterworth ] || fail "approximation name"
n=$(jq '.stages | length' <<<"$json")
[ "$n" -ge 2 ] || fail "several stages"
[ "$(jq -r '.stages[0].type' <<<"$json")" = FLP ] || fail "FLP first, without trailing blanks: $(jq -r '.stages[0].type' <<<"$json")"
[ "$(jq '[.stages[].flatness >= 1] | all' <<<"$json")" = true ] || fail "flatness at least 1"
[ "$(jq '[.stages[] | has("wp") and has("Qp") and has("wz") and has("p") and has("To") and has("k")] | all' <<<"$json")" = true ] \
  || fail "stage fields"

# An elliptic lowpass has notch stages; with increasing Qp and no first-stage criterion the
# Qp values never decrease.
ell=$("$cli" stages lowpass --apb 0.5 --asb 40 --pass 1000 --stop 1500 --approx Elliptic --first 00000000 --useq --json)
[ "$(jq '[.stages[].type] | index("SLPN") != null' <<<"$ell")" = true ] || fail "elliptic notches"
[ "$(jq '[.stages[].Qp] as $q | [range(1; $q | length) | $q[.] >= $q[. - 1]] | all' <<<"$ell")" = true ] \
  || fail "increasing Qp"

# Duplicate priorities are refused with the window's message.
if err=$("$cli" stages lowpass --approx Butterworth --first 11111314 2>&1); then fail "duplicate priorities accepted"; fi
grep -q "First stage priorities must be unique." <<<"$err" || fail "duplicate message: $err"

# The text form: the stage table and the coefficient table.
text=$("$cli" stages bandpass --approx Chebyshev)
grep -q "SBP " <<<"$text" || fail "bandpass stages in the text"
grep -q "Biquadratic Coefficients" <<<"$text" || fail "coefficient table"
grep -q "^fp " <<<"$text" || fail "pole frequency row in Hz"
echo ok
