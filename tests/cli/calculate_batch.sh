#!/usr/bin/env bash
# tavrin-cli calculate --batch: one JSON object per requirements line, in one process.
set -euo pipefail
cli="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v jq >/dev/null || fail "jq is needed to read the JSON output"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TAVRIN_HOME="$work/home"

cat >"$work/specs.txt" <<'SPECS'
# comments and blank lines are skipped
lowpass

highpass --apb 1 --asb 40 --pass 5 --stop 2
bandpass --order 20 --center 10
bandstop --unit rad/s --pass 2000 --stop 1000 --center 5000
SPECS
"$cli" calculate --batch "$work/specs.txt" >"$work/out"
[ "$(wc -l <"$work/out")" -eq 4 ] || fail "four results"
[ "$(jq -r '.kind' "$work/out" | tr '\n' ' ')" = "lowpass highpass bandpass bandstop " ] || fail "kinds in order"
[ "$(sed -n 1p "$work/out")" = "$("$cli" calculate lowpass --json)" ] || fail "batch line equals the single command"
[ "$(sed -n 3p "$work/out" | jq -c '[.slots[].order]')" = "[20,20,20,20,20]" ] || fail "forced order 20"
[ "$(sed -n 4p "$work/out" | jq '.w0')" = 5000 ] || fail "rad/s unit"

# Standard input, and a refused line among good ones: its JSON says why, its message goes
# to standard error, and the exit status is 2.
set +e
printf 'lowpass --order 21\nlowpass\nwhatever\n' | "$cli" calculate --batch - >"$work/out" 2>"$work/err"
rc=$?
set -e
[ "$rc" -eq 2 ] || fail "a refused line makes the exit status 2"
[ "$(wc -l <"$work/out")" -eq 3 ] || fail "one line of output per requirements"
[ "$(sed -n 1p "$work/out" | jq -r '.error')" = "Maximum order is 20." ] || fail "error object"
[ "$(sed -n 1p "$work/out" | jq '.line')" = 1 ] || fail "error line number"
[ "$(sed -n 2p "$work/out" | jq -r '.kind')" = lowpass ] || fail "good line still designed"
sed -n 3p "$work/out" | jq -e '.error | length > 0' >/dev/null || fail "unknown kind refused"
grep -q "^line 1: Maximum order is 20.$" "$work/err" || fail "message on standard error"

# Bulk: two thousand mixed requirement sets in one run.
kinds=(lowpass highpass bandpass bandstop)
for i in $(seq 0 1999); do
  k=${kinds[$((i % 4))]}
  case $k in
    lowpass) echo "lowpass --apb 0.$((i % 9 + 1)) --asb $((20 + i % 60)) --pass 1 --stop 1.$((i % 9 + 1))" ;;
    highpass) echo "highpass --apb 1 --asb $((30 + i % 50)) --pass 3 --stop $((1 + i % 2))" ;;
    bandpass) echo "bandpass --order $((2 + 2 * (i % 10))) --center $((2 + i % 7))" ;;
    bandstop) echo "bandstop --asb $((25 + i % 40)) --pass 2 --stop 0.$((i % 9 + 1)) --center 3" ;;
  esac
done >"$work/bulk.txt"
"$cli" calculate --batch "$work/bulk.txt" >"$work/out"
[ "$(wc -l <"$work/out")" -eq 2000 ] || fail "2000 results"
[ "$(jq -s 'map(select(.error)) | length' "$work/out")" -eq 0 ] || fail "no bulk line refused"
echo "cli calculate --batch: ok"
