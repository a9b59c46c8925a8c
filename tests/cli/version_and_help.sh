#!/usr/bin/env bash
# The command-line program introduces itself and exits cleanly.
set -euo pipefail
cli="$1"
err=$(mktemp)
trap 'rm -f "$err"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$("$cli" --version)" = "tavrin-cli 3.0.0" ] || fail "--version"
help=$("$cli" --help)
grep -q "tavrin-cli" <<<"$help" || fail "--help names the program"
grep -q -- "--version" <<<"$help" || fail "--help lists --version"
set +e
"$cli" --no-such-option >/dev/null 2>"$err"
rc=$?
set -e
[ "$rc" -eq 2 ] || fail "unknown option exits with 2, got $rc"
[ -s "$err" ] || fail "unknown option explains itself on standard error"
echo "cli version/help: ok"
