#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets and runs
# the tests under Wine. Extra arguments go to ctest (for example -L or -R).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
. scripts/wine-env.sh
trap zephrin_server_stop EXIT

for preset in win32 win64; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

echo "== test win32 (checks of the built binaries; executing them needs 32-bit Wine)"
ctest --preset win32 "$@"

zephrin_prefix_ensure
zephrin_server_ensure
echo "== test win64 (under wine64, prefix $WINEPREFIX)"
ctest --preset win64 "$@"
