#!/usr/bin/env bash
# The main job: installs what is missing and builds both targets.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in win32 win64; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo
echo "Built:"
for preset in win32 win64; do
  echo "  build/$preset/  ($(find build/$preset -maxdepth 3 -name '*.a' -o -maxdepth 3 -name '*.exe' -o -maxdepth 3 -name '*.dll' | grep -v _deps | wc -l) libraries and programs)"
done
