#!/usr/bin/env bash
# Plays the example song through the 32-bit host tool and plug-in and through
# the 64-bit ones, in the prefix that runs both, and fails unless the two
# converted songs are the same bytes and the two summaries the same text.
# Usage: compare-targets.sh HOST32 DLL32 HOST64 DLL64 SONG WORKDIR
set -euo pipefail
host32=$1 dll32=$2 host64=$3 dll64=$4 song=$5 work=$6
run=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run32
for f in "$host64" "$dll64"; do
  [ -f "$f" ] || { echo "compare-targets: $f is missing: build the win64 target too" >&2; exit 1; }
done
rm -rf "$work"
mkdir -p "$work/32" "$work/64" "$work/song"
cp "$song" "$work/song/song.mid"
status=0
# Each from a folder of its own with the same relative names, so that the
# summaries, which name the files, can be compared as they are.
(cd "$work/32" && "$run" "$host32" --dll "$dll32" play ../song/song.mid out.mid >summary.txt) || status=$?
[ "$status" = 77 ] && exit 77
[ "$status" = 0 ] || { echo "compare-targets: the 32-bit run failed ($status)" >&2; cat "$work/32/summary.txt" >&2; exit 1; }
(cd "$work/64" && "$run" "$host64" --dll "$dll64" play ../song/song.mid out.mid >summary.txt) \
  || { echo "compare-targets: the 64-bit run failed" >&2; exit 1; }
cat "$work/32/summary.txt"
if ! cmp "$work/32/out.mid" "$work/64/out.mid"; then
  echo "compare-targets: the converted songs differ" >&2
  exit 1
fi
if ! diff -u "$work/64/summary.txt" "$work/32/summary.txt"; then
  echo "compare-targets: the summaries differ" >&2
  exit 1
fi
echo "compare-targets: 32-bit and 64-bit give the same song ($(stat -c %s "$work/32/out.mid") bytes) and summary"
