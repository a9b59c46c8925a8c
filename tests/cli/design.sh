#!/usr/bin/env bash
# tavrin-cli design: requirements carried to the components of every stage.
set -euo pipefail
cli="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

# A Chebyshev lowpass with a gain of 10: every stage has a circuit, capacitors and resistors,
# the gain comes out as asked, and the levels peak at 100 %.
json=$("$cli" design lowpass --apb 0.5 --asb 40 --pass 1 --stop 2 --unit kHz --gain 10 --approx Chebyshev --json)
[ "$(jq -r .approximation <<<"$json")" = Chebyshev ] || fail "approximation"
[ "$(jq '.stages | length' <<<"$json")" -ge 2 ] || fail "stages"
jq -e '(.actualGain / .overallGain - 1) | fabs < 1e-9' <<<"$json" >/dev/null || fail "actual gain $(jq .actualGain <<<"$json")"
jq -e '[.stages[].level] | max | . > 99.999999 and . < 100.000001' <<<"$json" >/dev/null || fail "levels peak at 100"
jq -e '[.stages[] | .designFailed == false and (.R | length) > 0 and (.C | length) > 0] | all' <<<"$json" >/dev/null \
  || fail "every stage designed with components"
jq -e '[.stages[] | has("n") and has("type") and has("code") and has("wp") and has("Qp") and has("wz") and has("p")
        and has("requestedGain") and has("circuitGain") and has("gainConstrained") and has("inverting")
        and has("designFailed") and has("level") and has("minGbw") and has("gbw") and has("predistort")
        and has("activeComp")] | all' <<<"$json" >/dev/null || fail "stage fields"
jq -e '[.stages[].R[] | has("name") and has("value") and has("exact") and has("preStandard") and has("standard")
        and has("userAssigned")] | all' <<<"$json" >/dev/null || fail "resistor fields"
jq -e '[.stages[] | select(.type == "SLP") | .wz == null] | all' <<<"$json" >/dev/null || fail "wz null for SLP"

# Standard resistors of the 5 % series: every resistor is an E24 value with its computed value kept.
std=$("$cli" design lowpass --apb 0.5 --asb 40 --pass 1 --stop 2 --unit kHz --approx Chebyshev --standard-r \
      --r-tolerance 5 --json)
jq -e '[.stages[].R[] | .standard == true and .preStandard != null] | all' <<<"$std" >/dev/null \
  || fail "standard resistors marked"

# Named circuits, one per stage in cascade order; a wrong count, an unknown code or a code of
# another stage type is refused with exit 2 and a message.
named=$("$cli" design lowpass --apb 3 --asb 30 --pass 1000 --stop 2000 --approx Butterworth --order 3 \
        --circuits FLP02,SLP03 --json)
[ "$(jq -r '[.stages[].code] | join(",")' <<<"$named")" = "FLP02,SLP03" ] || fail "named circuits"
for bad in "SLP03" "FLP02,SLP99" "FLP02,SHP01"; do
  if err=$("$cli" design lowpass --apb 3 --asb 30 --pass 1000 --stop 2000 --approx Butterworth --order 3 \
           --circuits "$bad" 2>&1 >/dev/null); then fail "accepted --circuits $bad"; fi
  [ -n "$err" ] || fail "no message for --circuits $bad"
done
set +e
"$cli" design lowpass --apb 3 --asb 30 --pass 1000 --stop 2000 --approx Butterworth --order 3 --circuits SLP03 \
  >/dev/null 2>&1
[ $? -eq 2 ] || fail "exit status 2 for a refused circuit list"
set -e

# A user-fixed stage gain is kept; the others make up the overall gain.
fixed=$("$cli" design lowpass --apb 3 --asb 30 --pass 1000 --stop 2000 --approx Butterworth --order 4 --gain 4 \
        --circuits SLP03,SLP03 --stage-gain 1=1 --json)
jq -e '(.stages[0].circuitGain - 1 | fabs) < 1e-9' <<<"$fixed" >/dev/null || fail "stage 1 fixed at 1"

# Predistortion and an op-amp for all stages.
pre=$("$cli" design bandpass --approx Butterworth --gbw 2 --predistort all --json)
jq -e '[.stages[] | .gbw == 2000000 and .predistort == true] | all' <<<"$pre" >/dev/null || fail "predistortion"

# The ratings of one stage's candidates, as the selection window compares them.
rate=$("$cli" design lowpass --apb 3 --asb 30 --pass 1000 --stop 2000 --approx Butterworth --order 4 --rate 1 --json)
[ "$(jq '.candidates | length' <<<"$rate")" = 13 ] || fail "13 lowpass candidates"
jq -e '.candidates[0] | has("resistorSpread") and has("minGbw") and has("totalSpread")' <<<"$rate" >/dev/null \
  || fail "rating fields"

# The text form names every stage's circuit and lists its parts.
text=$("$cli" design highpass --approx Butterworth)
grep -q "^Stage 1 " <<<"$text" || fail "stage heading"
grep -q "^  R1 " <<<"$text" || fail "resistor line"
grep -q "^  C1 " <<<"$text" || fail "capacitor line"
# The final response and the netlist: 351 points of the values in force, the netlist text in
# the JSON; the netlist on standard output in either dialect; ngspice agrees with the response.
jq -e '(.final.points | length) == 351 and (.final.points[0] | has("hz") and has("rad") and has("vv") and has("db")
        and has("phaseDeg") and has("delay")) and (.netlist | test("[.]AC DEC"))' <<<"$json" >/dev/null \
  || fail "final response and netlist in the JSON"
one=$("$cli" design lowpass --apb 0.5 --asb 40 --pass 1 --stop 2 --unit kHz --approx Chebyshev --stages 1-1 --curve 2 --json)
jq -e '.final.firstStage == 1 and .final.lastStage == 1 and .final.curve == 2' <<<"$one" >/dev/null || fail "stage range"
"$cli" design lowpass --approx Butterworth --netlist - | grep -q "^[.]AC DEC" || fail "PSpice netlist on standard output"
"$cli" design lowpass --approx Butterworth --netlist - --dialect ngspice --opamp single-pole | grep -q "^[.]control" \
  || fail "ngspice netlist"
ver=$("$cli" design bandpass --approx Chebyshev --standard-r --verify)
diff=$(sed -n 's/^verify: ngspice and the final response differ by at most \([^ ]*\) dB.*/\1/p' <<<"$ver")
[ -n "$diff" ] || fail "verify line: $ver"
awk -v d="$diff" 'BEGIN { exit !(d < 0.05) }' || fail "ngspice differs by $diff dB"
for bad in "--sweep 10,5,20" "--stages 3-1" "--sweep a,b,c"; do
  if "$cli" design lowpass --approx Butterworth $bad >/dev/null 2>&1; then fail "accepted $bad"; fi
done

# A batch: one JSON object per line, a refused line answered in place, exit status 2.
set +e
out=$(printf '%s\n' "lowpass --approx Chebyshev --gain 10" "# a comment" "lowpass --approx Nope" \
      "bandstop --approx Elliptic --standard-r" | "$cli" design --batch - 2>/dev/null)
rc=$?
set -e
[ "$rc" -eq 2 ] || fail "batch exit status $rc"
[ "$(wc -l <<<"$out")" -eq 3 ] || fail "three answers: $out"
jq -s -e 'map(select(.line == 3))[0].error | test("Unknown approximation")' <<<"$out" >/dev/null || fail "refused line 3"
[ "$(jq -s '[.[] | select(has("stages"))] | length' <<<"$out")" = 2 ] || fail "two designs in the batch"
single=$("$cli" design lowpass --approx Chebyshev --gain 10 --json)
[ "$(head -1 <<<"$out")" = "$single" ] || fail "a batch line equals the single command"
echo ok
