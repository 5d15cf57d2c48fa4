#!/usr/bin/env bash
# Builds the native tree (the portable engine, its tests, the other hosts'
# formats), then both Windows targets, the 64-bit one first, then the
# installer, which carries both modules. Run by the main, test and installer commands after
# set-up; ZEPHRIN_BUILD_ROOT moves the build trees (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
root=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
for preset in native win64 win32; do
  echo "== build $preset"
  cmake --preset "$preset" -B "$root/$preset" >/dev/null
  cmake --build "$root/$preset"
done
if cmake --build "$root/win32" --target help | grep -q '^installer:'; then
  echo "== build the installer"
  cmake --build "$root/win32" --target installer
fi
