#!/usr/bin/env bash
# tavrin-cli response: the graphs' curves of one approximation.
set -euo pipefail
cli="$1"
err=$(mktemp)
trap 'rm -f "$err"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= t) }'; }

json=$("$cli" response lowpass --approx Chebyshev --json)
[ "$(jq '.points | length' <<<"$json")" = 351 ] || fail "351 frequency points"
[ "$(jq '.time | length' <<<"$json")" = 351 ] || fail "351 time points"
[ "$(jq -r .approximation <<<"$json")" = Chebyshev ] || fail "approximation name"
# The default grid runs a decade either side of the 1 kHz edge; its middle point is the edge,
# where the Chebyshev loss is the passband ripple.
near "$(jq '.points[0].hz' <<<"$json")" 100 1e-9 || fail "grid start"
near "$(jq '.points[350].hz' <<<"$json")" 10000 1e-6 || fail "grid stop"
near "$(jq '.points[175].db' <<<"$json")" -0.5 1e-6 || fail "ripple at the edge"
near "$(jq '.points[175].rad' <<<"$json")" 6283.185307 1e-5 || fail "rad/s column"
# A lowpass lags: the displayed phase is negative, and the step settles at the DC gain.
[ "$(jq '.points[100].phaseDeg < 0' <<<"$json")" = true ] || fail "phase sign"
[ "$(jq '.time[0].step | fabs < 1e-9' <<<"$json")" = true ] || fail "step starts at 0"

# Slot by index, own range, linear spacing.
lin=$("$cli" response bandpass --approx 3 --start 1000 --end 3000 --linear --json)
near "$(jq '.points[1].hz - .points[0].hz' <<<"$lin")" 5.7142857142857 1e-9 || fail "linear spacing"

# The text form is the data file's response table: two header lines and 351 rows.
text=$("$cli" response highpass --approx Butterworth)
[ "$(wc -l <<<"$text")" = 353 ] || fail "353 lines of text"
head -1 <<<"$text" | grep -q "FREQUENCY                MAGNITUDE" || fail "header"

# Refusals: message on standard error, exit status 2, nothing on standard output.
for args in "lowpass --approx Bessel" "lowpass --approx Cauer" "lowpass --approx 0 --start 5000 --end 100" \
            "lowpass --approx 0 --pass abc"; do
  set +e
  out=$("$cli" response $args 2>"$err")
  rc=$?
  set -e
  [ "$rc" = 2 ] || fail "$args: exit $rc"
  [ -z "$out" ] || fail "$args: printed on standard output"
  [ -s "$err" ] || fail "$args: no message"
done
echo "cli response: ok"
