#!/usr/bin/env bash
# The main job: installs what is missing, builds both targets, then plays a
# song through the 64-bit plug-in under Wine and says what it did.
#   bash scripts/main.sh                  the example song in examples/
#   bash scripts/main.sh my.mid [out.mid] [host options, e.g. --key 60]
# The converted song goes beside the input (my.zephrin.mid) unless out.mid
# is given. ZEPHRIN_BUILD_ROOT moves the build trees and the Wine prefix.
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")/.."
repo=$PWD

bash scripts/setup.sh
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
bash scripts/build.sh
echo
echo "Built: $ZEPHRIN_BUILD_ROOT/win32 (32-bit) and $ZEPHRIN_BUILD_ROOT/win64 (64-bit)."

host=$ZEPHRIN_BUILD_ROOT/win64/tools/zephrin-host.exe
plugin=$ZEPHRIN_BUILD_ROOT/win64/plugins/Zephrin.dll
[ -f "$plugin" ] || { echo "main: $plugin was not built" >&2; exit 1; }

. scripts/wine-env.sh
trap zephrin_server_stop EXIT
zephrin_prefix_ensure
zephrin_server_ensure

if [ $# -eq 0 ]; then
  set -- examples/sustain-song.mid
  caller=$repo
fi
echo
echo "== Zephrin on $1 (key 96 becomes the sustain pedal, controller 64, unless told otherwise)"
# From the caller's folder, so that the paths they gave mean what they meant.
cd "$caller"
"$repo/scripts/wine-run" "$host" --dll "$plugin" play "$@"
