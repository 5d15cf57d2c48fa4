#!/usr/bin/env bash
# The test runner's restart: a program that fails without printing is run
# once more, said and logged, and its status kept; one that printed is not.
set -uo pipefail
run=$1
log=$(mktemp)
trap 'rm -f "$log"' EXIT
export ZEPHRIN_RESTARTS_LOG=$log
fail() { echo "FAILED: $*" >&2; exit 1; }

err=$("$run" --test cmd.exe /c exit 3 2>&1 >/dev/null); status=$?
[ $status = 3 ] || fail "silent program: status $status, not 3"
[ "$(grep -c 'run again: cmd.exe /c exit 3' "$log")" = 1 ] || fail "silent program: log holds $(cat "$log")"
grep -q "before printing anything; running it again" <<<"$err" || fail "silent program: said $err"

: >"$log"
out=$("$run" --test cmd.exe /c "echo said& exit 4" 2>/dev/null); status=$?
[ $status = 4 ] || fail "printing program: status $status, not 4"
[ "$(tr -d '\r' <<<"$out")" = said ] || fail "printing program: output $out"
[ ! -s "$log" ] || fail "printing program was run again: $(cat "$log")"

"$run" --test cmd.exe /c exit 0 || fail "a passing program fails"
[ ! -s "$log" ] || fail "passing program was run again"
echo "restarts as they should be"
