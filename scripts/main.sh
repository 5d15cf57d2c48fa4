#!/usr/bin/env bash
# The main job: installs what is missing and builds both targets.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
for preset in win32 win64; do
  echo "== build $preset"
  cmake --preset "$preset" -B "$ZEPHRIN_BUILD_ROOT/$preset" >/dev/null
  cmake --build "$ZEPHRIN_BUILD_ROOT/$preset"
done
echo
echo "Built: $ZEPHRIN_BUILD_ROOT/win32 (32-bit) and $ZEPHRIN_BUILD_ROOT/win64 (64-bit)."
