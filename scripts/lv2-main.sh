#!/usr/bin/env bash
# The main job's LV2 road (bash scripts/main.sh --lv2 ...): installs what it
# needs and is missing (setup.sh --lv2), builds what it needs of the native
# tree (the bundle zephrin-map.lv2 and two small programs), then plays a
# song's messages through Zephrin Map's LV2 plug-in in jalv, on a JACK
# server of its own, writes what came out as a song and says what it did,
# as the Windows road does.
#   bash scripts/main.sh --lv2 [my.mid [out.mid]] [--map "SPEC"]...
# The example song without a song; the mappings as the host tool's --map
# (none: the plug-in's default, key 96 to the sustain pedal); out.mid
# defaults to my.zephrin-lv2.mid beside the song. ZEPHRIN_BUILD_ROOT moves
# the build trees.
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")/.."
repo=$PWD

files=()
maps=()
while [ $# -gt 0 ]; do
  case $1 in
    --lv2) shift ;;
    --map)
      [ $# -ge 2 ] || { echo "main: --map needs a mapping such as \"keys=96 cc=64\"" >&2; exit 2; }
      maps+=("$1" "$2")
      shift 2
      ;;
    -*)
      echo "main: $1 is not for --lv2, which takes a song, an output song and --map" >&2
      exit 2
      ;;
    *) files+=("$1"); shift ;;
  esac
done
[ ${#files[@]} -le 2 ] ||
  { echo "main: --lv2 takes a song and an output song at most" >&2; exit 2; }

bash scripts/setup.sh --lv2
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
native=$ZEPHRIN_BUILD_ROOT/native
echo "== build native: the LV2 bundle and the programs that play a song through it"
cmake --preset native -B "$native" >/dev/null
cmake --build "$native" --target zephrin-map-lv2 zephrin-map-controls zephrin-live-song
echo
echo "Built: $native/lv2/zephrin-map.lv2"

if [ ${#files[@]} -eq 0 ]; then
  files=(examples/sustain-song.mid)
  caller=$repo
fi
song=${files[0]}
out=${files[1]:-${song%.mid}.zephrin-lv2.mid}
echo
about="Zephrin Map's LV2 plug-in in jalv (the mappings given with --map;"
about+=" without them key 96 becomes the sustain pedal)"
echo "== $about on $song"
# From the caller's folder, so that the paths they gave mean what they meant.
cd "$caller"
/usr/bin/python3 "$repo/tools/livesong/lv2-play.py" "$native" "$song" "$out" \
  "${maps[@]+"${maps[@]}"}"
