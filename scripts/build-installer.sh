#!/usr/bin/env bash
# Makes the installer: installs what is missing, builds both targets and
# writes $ZEPHRIN_BUILD_ROOT/win32/installer/ZephrinSetup-<version>.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
bash scripts/build.sh
for setup in "$ZEPHRIN_BUILD_ROOT"/win32/installer/ZephrinSetup-*.exe; do
  [ -f "$setup" ] || { echo "build-installer: no installer was made" >&2; exit 1; }
  echo
  echo "Installer: $setup ($(stat -c %s "$setup") bytes)"
done
