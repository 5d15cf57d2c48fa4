#!/usr/bin/env bash
# The test command: installs what is missing, builds the native tree and both
# Windows targets and runs the tests: the native ones, the 64-bit ones under
# Wine, then the checks of the 32-bit binaries and the 32-bit programs (slow:
# emulated; `-LE slow32` leaves them out), then fuzzes each parser for a short time (scripts/fuzz.sh). Extra
# arguments go to ctest (for example -L, -LE or -R); a filter among them
# leaves the fuzzing out unless --fuzz is given too.
# ZEPHRIN_BUILD_ROOT moves the build trees and the Wine prefixes (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz=1
args=()
for a in "$@"; do
  case $a in
    --fuzz) fuzz=2 ;;
    -R|-E|-L|-LE|-I|-U|--tests-regex|--exclude-regex|--label-regex|--label-exclude|-R?*|-E?*|-L?*)
      [ "$fuzz" = 2 ] || fuzz=0
      args+=("$a") ;;
    *) args+=("$a") ;;
  esac
done
set -- "${args[@]+"${args[@]}"}"

bash scripts/setup.sh
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
. scripts/wine-env.sh
stop_servers() {
  zephrin_server_stop
  (export ZEPHRIN_WOW64=1; . scripts/wine-env.sh; zephrin_server_stop 2>/dev/null) || true
}
trap stop_servers EXIT

bash scripts/build.sh

ctest_args=(--output-on-failure --timeout 300)

zephrin_prefix_ensure
zephrin_server_ensure
restarts=$ZEPHRIN_BUILD_ROOT/wine-restarts.log
rm -f "$restarts"
failed=0
echo "== test native (the engine under the sanitizers, the LV2 and CLAP plug-ins, the real hosts)"
ctest --test-dir "$ZEPHRIN_BUILD_ROOT/native" "${ctest_args[@]}" --no-tests=ignore "$@" || failed=1

echo "== test win64 (under wine64, prefix $WINEPREFIX)"
ctest --test-dir "$ZEPHRIN_BUILD_ROOT/win64" "${ctest_args[@]}" --no-tests=error "$@" || failed=1

echo "== test win32 (checks of the built binaries, and the 32-bit programs under emulated 32-bit Wine)"
ctest --test-dir "$ZEPHRIN_BUILD_ROOT/win32" "${ctest_args[@]}" --no-tests=ignore "$@" || failed=1

if [ "$fuzz" = 0 ]; then
  echo "== fuzz: left out (a ctest filter was given; add --fuzz to fuzz too)"
else
  echo "== fuzz (every parser for a short fixed time, natively under the sanitizers)"
  bash scripts/fuzz.sh || failed=1
fi
if [ -s "$restarts" ]; then
  echo "== Wine ended these test programs before they printed anything; each was run once more:"
  cat "$restarts"
fi
exit $failed
