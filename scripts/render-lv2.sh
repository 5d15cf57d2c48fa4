#!/usr/bin/env bash
# Renders Zephrin Map's LV2 controls as a real host draws them: jalv.gtk3's
# generic controls for the plug-in, with the "Three pedals on C6, D6, E6"
# preset and a latching Portamento on F6 for channel 1, on a private Xvfb
# screen, into docs/lv2-controls.png. jalv runs on a JACK server of its own
# (the dummy backend: this machine has no sound card). Leaves no X server,
# JACK server or program running.
#   bash scripts/render-lv2.sh [OUT.png]
# ZEPHRIN_BUILD_ROOT moves the build tree (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/lv2-controls.png}

ZEPHRIN_NO_32BIT=1 bash scripts/setup.sh xvfb x11-utils imagemagick jalv jackd2
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
echo "== build native (the LV2 bundle)"
cmake --preset native -B "$ZEPHRIN_BUILD_ROOT/native" >/dev/null
cmake --build "$ZEPHRIN_BUILD_ROOT/native" --target zephrin-map-lv2

work=$(mktemp -d)
xvfb_pid= jack_pid= jalv_pid=
fail() {
  echo "render-lv2: $*" >&2
  for log in jackd jalv; do
    [ -s "$work/$log.log" ] && sed "s/^/  $log: /" "$work/$log.log" >&2
  done
  exit 1
}
stop() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || true
  timeout 10 tail --pid="$1" -f /dev/null || kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
cleanup() {
  exec 7>&-  # jalv's standard input: jalv ends when it closes
  stop "$jalv_pid"
  stop "$jack_pid"
  stop "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT

. scripts/screen-capture.sh

echo "== Xvfb"
# jalv's window is as tall as all eight mappings; the screen's height shows
# the first four, where the settings are; the pointer, in its middle, is
# off the window.
start_xvfb 1600x1524x24 "$work" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"

echo "== JACK (dummy backend)"
export JACK_DEFAULT_SERVER=zephrin-render-$$ JACK_NO_START_SERVER=1
jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
jack_pid=$!
jack_up() {
  kill -0 "$jack_pid" 2>/dev/null || fail "jackd ended"
  jack_lsp >/dev/null 2>&1
}
wait_for 20 jack_up || fail "JACK did not start within 20 seconds"

echo "== jalv.gtk3"
mkfifo "$work/stdin"
LV2_PATH=$ZEPHRIN_BUILD_ROOT/native/lv2:/usr/lib/lv2 jalv.gtk3 \
  -p urn:quillfen:zephrin-map:preset:three-pedals-on-c6-d6-e6 \
  -c m4_on=1 -c m4_channel=1 -c m4_low=101 -c m4_high=101 -c m4_cc=65 -c m4_mode=1 \
  urn:quillfen:zephrin-map <"$work/stdin" >"$work/jalv.log" 2>&1 &
jalv_pid=$!
exec 7>"$work/stdin"
jalv_window() {
  kill -0 "$jalv_pid" 2>/dev/null || fail "jalv ended"
  find_window 'Zephrin Map[^"]*'  # its caption names the preset too
}
wait_for 30 jalv_window || fail "no window \"Zephrin Map\" appeared on $DISPLAY"
capture_window "$window" "$out" "$work" || fail "the window did not settle within 10 seconds"
echo "wrote $out ($(identify -format '%wx%h' "$out"), $(stat -c %s "$out") bytes)"
