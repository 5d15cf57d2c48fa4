#!/usr/bin/env bash
# The benchmark: builds both targets, then measures the 64-bit plug-ins under
# Wine next to the pass-through filter, in one run. Not a test: it prints
# figures and fails only when it cannot measure. --throughput measures the
# OnEvents and OnInput ratios only.
#   bash scripts/bench.sh --lv2   Zephrin Map's LV2 plug-in against the LV2
#                                 pass-through instead, natively (no Wine).
# ZEPHRIN_BUILD_ROOT moves the build trees and the Wine prefix (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = --lv2 ]; then
  bash scripts/setup.sh --lv2
  native=${ZEPHRIN_BUILD_ROOT:-$PWD/build}/native
  cmake --preset native -B "$native" >/dev/null
  cmake --build "$native" --target zephrin-lv2-bench >/dev/null
  passthrough=$native/bench/lv2/bundles/zephrin-passthrough.lv2/zephrin-passthrough.so
  # The pass-through a second time, from a file of its own: a plug-in that
  # only copies must measure 1.0 against it.
  copy=$(mktemp --suffix=.so)
  trap 'rm -f "$copy"' EXIT
  cp "$passthrough" "$copy"
  echo "== $(gcc --version | head -n 1)"
  "$native/bench/lv2/zephrin-lv2-bench" "$native/lv2/zephrin-map.lv2/zephrin-map.so" \
    "$passthrough" "$copy"
  exit
fi

bash scripts/setup.sh
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
for preset in win32 win64; do
  cmake --preset "$preset" -B "$ZEPHRIN_BUILD_ROOT/$preset" >/dev/null
  cmake --build "$ZEPHRIN_BUILD_ROOT/$preset" >/dev/null
done

. scripts/wine-env.sh
trap zephrin_server_stop EXIT
zephrin_prefix_ensure
zephrin_server_ensure

w64=$ZEPHRIN_BUILD_ROOT/win64
# The processor's model and count are the benchmark's own first line.
echo "== $("$ZEPHRIN_WINE64" --version)"
# The pass-through a second time, from a file of its own, as the check that
# a filter that only copies measures 1.0 against it.
cp "$w64/bench/passthrough/PassThrough.dll" "$w64/bench/passthrough/PassThroughCopy.dll"
scripts/wine-run "$w64/bench/zephrin-bench.exe" "$w64/plugins/Zephrin.dll" "$w64/plugins/ZephrinMap.dll" \
  "$w64/bench/passthrough/PassThrough.dll" "$w64/bench/passthrough/PassThroughCopy.dll" "$@"
echo "DLL sizes (32-bit target):"
for dll in plugins/Zephrin.dll plugins/ZephrinMap.dll bench/passthrough/PassThrough.dll; do
  printf '  %-60s %8d bytes\n' "$ZEPHRIN_BUILD_ROOT/win32/$dll" "$(stat -c %s "$ZEPHRIN_BUILD_ROOT/win32/$dll")"
done
