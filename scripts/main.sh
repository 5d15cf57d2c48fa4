#!/usr/bin/env bash
# The main job: installs what is missing, builds the 64-bit plug-ins and the
# host tool (nothing else: the tests, the 32-bit tree and the installer are
# the test command's), then plays a song through a plug-in under Wine and
# says what it did.
#   bash scripts/main.sh                  the example song in examples/
#   bash scripts/main.sh my.mid [out.mid] [host options, e.g. --key 60]
#   bash scripts/main.sh examples/three-pedals.mid out.mid --dll map \
#       --map "keys=96 cc=64" --map "keys=98 cc=66" --map "keys=100 cc=67"
# --dll map and --dll zephrin name the built ZephrinMap.dll and Zephrin.dll
# (any other --dll is a path); --map without --dll means Zephrin Map. With
# options only, the example song is played. The converted song goes beside
# the input (my.zephrin.mid) unless out.mid is given. ZEPHRIN_BUILD_ROOT
# moves the build trees and the Wine prefix.
#   bash scripts/main.sh --lv2 [my.mid [out.mid]] [--map "SPEC"]...
# plays the song through Zephrin Map's LV2 plug-in in jalv instead, natively
# on a JACK server of its own (scripts/lv2-main.sh; out.mid defaults to
# my.zephrin-lv2.mid).
set -euo pipefail
for a in "$@"; do
  [ "$a" != --lv2 ] || exec bash "$(dirname "$0")/lv2-main.sh" "$@"
done
caller=$PWD
cd "$(dirname "$0")/.."
repo=$PWD

# The plug-in to play through, taken out of the host's arguments.
dll=
uses_map=
args=()
while [ $# -gt 0 ]; do
  case $1 in
    --dll)
      [ $# -ge 2 ] || { echo "main: --dll needs map, zephrin or a path" >&2; exit 2; }
      dll=$2
      shift 2
      ;;
    --map) uses_map=1; args+=("$1"); shift ;;
    *) args+=("$1"); shift ;;
  esac
done
[ -n "$dll" ] || { [ -n "$uses_map" ] && dll=map || dll=zephrin; }

bash scripts/setup.sh --main
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
echo "== build win64: the plug-ins and the host tool"
cmake --preset win64 -B "$ZEPHRIN_BUILD_ROOT/win64" >/dev/null
cmake --build "$ZEPHRIN_BUILD_ROOT/win64" --target Zephrin ZephrinMap zephrin-host
echo
echo "Built: $ZEPHRIN_BUILD_ROOT/win64/plugins (Zephrin.dll, ZephrinMap.dll) and the host tool."

host=$ZEPHRIN_BUILD_ROOT/win64/tools/zephrin-host.exe
case $dll in
  map) plugin=$ZEPHRIN_BUILD_ROOT/win64/plugins/ZephrinMap.dll
       about="Zephrin Map (the mappings given with --map; without them key 96 becomes the sustain pedal)" ;;
  zephrin) plugin=$ZEPHRIN_BUILD_ROOT/win64/plugins/Zephrin.dll
       about="Zephrin (key 96 becomes the sustain pedal, controller 64, unless told otherwise)" ;;
  *) plugin=$dll about=$dll ;;
esac
[ "$plugin" = "$dll" ] || [ -f "$plugin" ] || { echo "main: $plugin was not built" >&2; exit 1; }

. scripts/wine-env.sh
trap zephrin_server_stop EXIT
zephrin_prefix_ensure
zephrin_server_ensure

if [ ${#args[@]} -eq 0 ]; then
  args=(examples/sustain-song.mid)
  caller=$repo
elif [[ ${args[0]} == -* ]]; then
  args=("$repo/examples/sustain-song.mid" "${args[@]}")
fi
echo
echo "== $about on ${args[0]}"
# From the caller's folder, so that the paths they gave mean what they meant.
cd "$caller"
"$repo/scripts/wine-run" "$host" --dll "$plugin" play "${args[@]}"
