# What the scripts that take a program's picture share (render-page.sh,
# render-lv2.sh): a private Xvfb screen, finding a window on it, and a
# picture taken once the window is drawn. Sourced; each takes a work folder.

# Polls a command every tenth of a second; false when it never succeeds.
wait_for() {
  local seconds=$1
  shift
  local tries=$((seconds * 10))
  until "$@"; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || return 1
    sleep 0.1
  done
}

# An X server of our own on a free display, with one screen of SIZE (for
# example 1366x768x24): sets xvfb_pid and DISPLAY, or false with the
# server's log in WORK/xvfb.log.
start_xvfb() {
  local size=$1 work=$2
  Xvfb -displayfd 5 -screen 0 "$size" -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  wait_for 20 test -s "$work/display" || return 1
  export DISPLAY=:$(cat "$work/display")
}

# Sets window to the first top-level window whose caption matches the sed
# pattern CAPTION, once it is shown; false until then.
find_window() {
  window=$(xwininfo -root -tree | sed -n "s/^ *\\(0x[0-9a-f]*\\) \"$1\": .*/\\1/p" | head -n1)
  [ -n "$window" ] && xwininfo -id "$window" | grep -q 'Map State: IsViewable'
}

# Programs draw into a window a little after it is shown: the picture is
# taken into OUT (PNG) once two captures in a row agree; false when they
# do not within 10 seconds.
capture_window() {
  local window=$1 out=$2 work=$3 try
  rm -f "$work/previous.ppm"
  for try in $(seq 1 50); do
    import -window "$window" "ppm:$work/shot.ppm"
    if [ -f "$work/previous.ppm" ] && cmp -s "$work/shot.ppm" "$work/previous.ppm"; then
      mkdir -p "$(dirname "$out")"
      convert "$work/shot.ppm" -strip "png:$out"
      return 0
    fi
    mv "$work/shot.ppm" "$work/previous.ppm"
    sleep 0.2
  done
  return 1
}
