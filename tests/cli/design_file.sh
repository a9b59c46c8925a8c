#!/usr/bin/env bash
# calculate --save writes a design file; open reads it back without recomputing it.
set -euo pipefail
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for kind in lowpass highpass bandpass bandstop; do
  "$cli" calculate "$kind" --asb 40 --json --save "$dir/$kind.zd3" > "$dir/calc.json"
  "$cli" open "$dir/$kind.zd3" --json > "$dir/open.json"
  [ "$(jq .designStep "$dir/open.json")" = 2 ] || fail "$kind: design step 2"
  [ "$(jq -r .kind "$dir/open.json")" = "$kind" ] || fail "$kind: kind"
  [ "$(jq -c '[.slots[].order]' "$dir/open.json")" = "$(jq -c '[.slots[].order]' "$dir/calc.json")" ] || fail "$kind: orders"
  [ "$(jq -c '[.slots[].hasResult]' "$dir/open.json")" = "$(jq -c '[.slots[].hasResult]' "$dir/calc.json")" ] || fail "$kind: results"
  # Every pole comes back within the file's precision (about 12 digits).
  worst=$(jq -n --slurpfile a "$dir/calc.json" --slurpfile b "$dir/open.json" '
    [range(0; 5) as $s | ($a[0].slots[$s].poles | length) as $n | range(0; $n) as $i | range(0; 2) as $c |
     ($a[0].slots[$s].poles[$i][$c]) as $x | ($b[0].slots[$s].poles[$i][$c]) as $y |
     (if $x == 0 then ($y | fabs) else (($x - $y) / $x | fabs) end)] | max // 0')
  awk -v w="$worst" 'BEGIN { exit !(w < 1e-10) }' || fail "$kind: poles differ by $worst"
done

# The text form names the step and shows the results table.
"$cli" open "$dir/lowpass.zd3" | grep -q "design step 2" || fail "text form"

# Damaged and foreign files: the message on standard error, exit status 2, nothing on standard output.
head -c 500 "$dir/lowpass.zd3" > "$dir/short.zd3"
printf 'not a design' > "$dir/foreign.zd3"
for f in short.zd3 foreign.zd3 missing.zd3; do
  set +e
  out=$("$cli" open "$dir/$f" 2> "$dir/err")
  rc=$?
  set -e
  [ "$rc" = 2 ] || fail "$f: exit $rc"
  [ -z "$out" ] || fail "$f: printed on standard output"
  [ -s "$dir/err" ] || fail "$f: no message"
done
grep -q "Invalid Tavrin design file" <("$cli" open "$dir/foreign.zd3" 2>&1 || true) || fail "foreign file message"
echo "cli design file: ok"
