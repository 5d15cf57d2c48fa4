#!/usr/bin/env bash
# Renders an editor page as a user sees it: Zephrin's into docs/page.png, or
# Zephrin Map's into docs/map-page.png. The 64-bit page in a frame window,
# drawn by Wine's X11 driver on a private Xvfb screen of 1366 x 768, in a
# Wine prefix of its own (the tests' prefix stays on the null driver).
# Leaves no X server, Wine server or program running.
#   bash scripts/render-page.sh [zephrin|map] [OUT.png]
# ZEPHRIN_BUILD_ROOT moves the build tree and the prefix (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
which=zephrin
case ${1:-} in
  zephrin|map) which=$1; shift ;;
esac
work=$(mktemp -d)
if [ "$which" = map ]; then
  out=${1:-docs/map-page.png}
  module=ZephrinMap caption="Zephrin Map"
  # The three pedals on C6, D6 and E6, and a latching Portamento on F6 for
  # notes on channel 1, loaded through the filter's stream: "ZMap", format
  # 1, look-ahead fix on, four mappings of 8 bytes (flags: 1 on, 2 latch;
  # input channel, lowest and highest key, controller, output channel, on
  # and off values).
  printf 'ZMap\x01\x00\x01\x04%b%b%b%b' \
    '\x01\x00\x60\x60\x40\x00\x7f\x00' '\x01\x00\x62\x62\x42\x00\x7f\x00' \
    '\x01\x00\x64\x64\x43\x00\x7f\x00' '\x03\x01\x65\x65\x41\x00\x7f\x00' >"$work/settings.bin"
  page_settings=(--settings "$work/settings.bin")
else
  out=${1:-docs/page.png}
  module=Zephrin caption=Zephrin
  # A key and a controller other than the defaults, so that both labels
  # say something.
  page_settings=(--key 66 --cc 11 --fix on)
fi

ZEPHRIN_NO_32BIT=1 bash scripts/setup.sh xvfb x11-utils imagemagick fonts-wine \
  libx11-6 libxext6 libxrender1 libxcursor1 libxi6 libxrandr2 libxinerama1 \
  libxcomposite1 libxfixes3 libxxf86vm1
export ZEPHRIN_BUILD_ROOT=${ZEPHRIN_BUILD_ROOT:-$PWD/build}
# Only what the picture needs, so that it does not wait for the tests.
echo "== build win64 (the plug-in and zephrin-showpage)"
cmake --preset win64 -B "$ZEPHRIN_BUILD_ROOT/win64" >/dev/null
cmake --build "$ZEPHRIN_BUILD_ROOT/win64" --target "$module" zephrin-showpage
plugin=$ZEPHRIN_BUILD_ROOT/win64/plugins/$module.dll
showpage=$ZEPHRIN_BUILD_ROOT/win64/tools/showpage/zephrin-showpage.exe

export ZEPHRIN_WINEPREFIX=$ZEPHRIN_BUILD_ROOT/wine64-display-prefix
. scripts/wine-env.sh
xvfb_pid= page_pid=
fail() {
  echo "render-page: $*" >&2
  [ -s "$work/page.err" ] && sed 's/^/  zephrin-showpage: /' "$work/page.err" >&2
  exit 1
}
cleanup() {
  exec 7>&-  # the program's standard input: its end closes the frame
  if [ -n "$page_pid" ]; then
    timeout 20 tail --pid="$page_pid" -f /dev/null || true
  fi
  zephrin_server_stop || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

. scripts/screen-capture.sh

zephrin_prefix_ensure

echo "== Xvfb"
start_xvfb 1366x768x24 "$work" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
echo "display $DISPLAY"

# Wine's X11 driver, drawing its own frames (there is no window manager), in
# this prefix only. A running server must go, so that the next start reads it.
if ! grep -q '^"Graphics"="x11"' "$WINEPREFIX/user.reg"; then
  echo "== switching $WINEPREFIX to the X11 driver"
  zephrin_server_stop
  "$ZEPHRIN_WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
  "$ZEPHRIN_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  zephrin_server_stop
  grep -q '^"Graphics"="x11"' "$WINEPREFIX/user.reg" || fail "the prefix did not take the X11 driver"
fi

# The template's "MS Sans Serif" and the caption buttons' Marlett are Wine's
# own fonts, which Wine finds only in the Windows font folder; without them
# a wider Linux font stands in and the page grows to fit it.
wine_fonts=/usr/share/wine/fonts
[ -f "$wine_fonts/sserife.fon" ] || fail "Wine's fonts are missing from $wine_fonts (package fonts-wine)"
ln -sfn "$wine_fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"

echo "== the page (${page_settings[*]})"
mkfifo "$work/stdin"
# Standard input stays open until this script closes it (or ends): then the
# frame closes. --seconds is the program's own limit, should that fail.
"$ZEPHRIN_WINE64" "$showpage" "$plugin" "${page_settings[@]}" --stdin --seconds 120 \
  <"$work/stdin" >"$work/page.out" 2>"$work/page.err" &
page_pid=$!
exec 7>"$work/stdin"
ready() {
  grep -q '^ready ' "$work/page.out" && return 0
  kill -0 "$page_pid" 2>/dev/null || fail "zephrin-showpage ended before it showed the page"
  return 1
}
wait_for 60 ready || fail "the page was not shown within 60 seconds"
sed -n 's/^ready .* page /page size in pixels: /p' "$work/page.out"

wait_for 20 find_window "$caption" || fail "no window \"$caption\" appeared on $DISPLAY"

# Wine draws into the X window a little after the program has painted.
capture_window "$window" "$out" "$work" || fail "the window did not settle within 10 seconds"
echo "wrote $out ($(identify -format '%wx%h' "$out"), $(stat -c %s "$out") bytes)"
