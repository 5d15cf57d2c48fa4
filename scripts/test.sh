#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets and runs
# the tests under Wine. Extra arguments go to ctest (for example -L or -R).
# ZEPHRIN_BUILD_ROOT moves the build trees and the Wine prefix (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
. scripts/wine-env.sh
trap zephrin_server_stop EXIT

for preset in win32 win64; do
  echo "== build $preset"
  cmake --preset "$preset" -B "$ZEPHRIN_BUILD_ROOT/$preset" >/dev/null
  cmake --build "$ZEPHRIN_BUILD_ROOT/$preset"
done

ctest_args=(--output-on-failure --timeout 300)

echo "== test win32 (checks of the built binaries; executing them needs 32-bit Wine)"
ctest --test-dir "$ZEPHRIN_BUILD_ROOT/win32" "${ctest_args[@]}" --no-tests=ignore "$@"

zephrin_prefix_ensure
zephrin_server_ensure
echo "== test win64 (under wine64, prefix $WINEPREFIX)"
ctest --test-dir "$ZEPHRIN_BUILD_ROOT/win64" "${ctest_args[@]}" --no-tests=error "$@"
