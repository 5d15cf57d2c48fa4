# Sourced by the project's scripts: where Wine is, the project's private
# 64-bit prefix, and the helpers that create it and start its server.

ZEPHRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${ZEPHRIN_WINEPREFIX:-${ZEPHRIN_BUILD_ROOT:-$ZEPHRIN_ROOT/build}/wine64-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Headless: the prefix uses Wine's null graphics driver.
unset DISPLAY WAYLAND_DISPLAY

zephrin_find_wine() {
  local d
  for d in /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine /usr/bin; do
    if [ -x "$d/wine64" ]; then
      ZEPHRIN_WINE64="$d/wine64"
      if [ -x "$d/wineserver64" ]; then ZEPHRIN_WINESERVER="$d/wineserver64"; else ZEPHRIN_WINESERVER="$d/wineserver"; fi
      return 0
    fi
  done
  echo "wine64 not found: run scripts/setup.sh" >&2
  return 1
}

# Creates the prefix when it is missing or was left half made.
zephrin_prefix_ensure() {
  zephrin_find_wine || return 1
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$WINEPREFIX/.zephrin-ready" ] && exit 0
    echo "wine: creating the test prefix $WINEPREFIX" >&2
    rm -rf "$WINEPREFIX"
    local log="$WINEPREFIX.log"
    # Output to a file, not a pipe, and the lock closed: Wine's services
    # inherit both and would keep a reader or the next locker waiting.
    "$ZEPHRIN_WINE64" wineboot -i >"$log" 2>&1 </dev/null 9>&-
    "$ZEPHRIN_WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$log" 2>&1 </dev/null 9>&-
    "$ZEPHRIN_WINESERVER" -k >/dev/null 2>&1 || true
    "$ZEPHRIN_WINESERVER" -w
    touch "$WINEPREFIX/.zephrin-ready"
  ) 9>"$WINEPREFIX.lock"
}

# Starts a persistent server with its services detached from the caller's
# streams, so a test runner waiting on its pipes is not held up by them.
zephrin_server_ensure() {
  zephrin_find_wine || return 1
  (
    flock 9
    if "$ZEPHRIN_WINESERVER" -p"${ZEPHRIN_SERVER_PERSIST:-60}" </dev/null >/dev/null 2>&1 9>&-; then
      setsid "$ZEPHRIN_WINE64" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
    fi
  ) 9>"$WINEPREFIX.server.lock"
}

zephrin_server_stop() {
  zephrin_find_wine || return 1
  [ -d "$WINEPREFIX" ] || return 0
  "$ZEPHRIN_WINESERVER" -k >/dev/null 2>&1 || true
  "$ZEPHRIN_WINESERVER" -w >/dev/null 2>&1 || true
}
