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

# Every line is a design of its own and reads as the same options typed after the command:
# whatever the line before designed (line 2's Bessel slot is too high after line 1 designed
# one, and must not report line 1's pole Q), quoted or tab-separated, with a CR LF ending.
{
  printf 'lowpass --apb 3.0103 --asb 20 --pass 1 --stop 4\n'
  printf 'lowpass --asb 60 --stop 1.2\n'
  printf 'highpass\t--apb "0.7"   --asb \04735\047 --pass 3 --stop 1\n'
  printf 'bandstop --unit rad/s --pass 2000 --stop 1000 --center 5000\r\n'
} >"$work/alone.txt"
"$cli" calculate --batch "$work/alone.txt" >"$work/out"
[ "$(sed -n 1p "$work/out" | jq -c '[.slots[4].hasResult, .slots[4].maxQ > 0]')" = "[true,true]" ] || fail "Bessel designed on line 1"
[ "$(sed -n 2p "$work/out" | jq -c '[.slots[4].order, .slots[4].maxQ]')" = "[21,0]" ] || fail "no pole Q left from line 1"
alone() {
  local n="$1"
  shift
  [ "$(sed -n "${n}p" "$work/out")" = "$("$cli" calculate "$@" --json)" ] || fail "line $n differs from: calculate $*"
}
alone 1 lowpass --apb 3.0103 --asb 20 --pass 1 --stop 4
alone 2 lowpass --asb 60 --stop 1.2
alone 3 highpass --apb 0.7 --asb 35 --pass 3 --stop 1
alone 4 bandstop --unit rad/s --pass 2000 --stop 1000 --center 5000

# Bytes that are not UTF-8 in a refused line's message become U+FFFD; the batch goes on.
set +e
printf 'lowpass --bogus \xff\nlowpass\n' | "$cli" calculate --batch - >"$work/out" 2>"$work/err"
rc=$?
set -e
[ "$rc" -eq 2 ] || fail "refused line: exit status 2, got $rc"
[ "$(sed -n 1p "$work/out" | jq -r '.error')" = "$(printf 'The following arguments were not expected: \xef\xbf\xbd --bogus')" ] ||
  fail "replacement character in the message"
[ "$(sed -n 2p "$work/out" | jq -r '.kind')" = lowpass ] || fail "the line after it still designed"

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
# The lines run on every core; the output is the same, in input order, however many threads.
for threads in 1 3; do
  TAVRIN_BATCH_THREADS=$threads "$cli" calculate --batch "$work/bulk.txt" >"$work/out.$threads"
  cmp -s "$work/out" "$work/out.$threads" || fail "output with $threads thread(s) differs"
done
for n in 1 2 3 4 1001 1999 2000; do
  # shellcheck disable=SC2046  # the line's options, split at blanks
  [ "$(sed -n "${n}p" "$work/out")" = "$("$cli" calculate $(sed -n "${n}p" "$work/bulk.txt") --json)" ] ||
    fail "bulk line $n differs from the single command"
done
echo "cli calculate --batch: ok"
