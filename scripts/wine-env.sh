# Sourced by the project's scripts: where Wine is, the project's private
# 64-bit prefix, and the helpers that create it and start its server. With
# ZEPHRIN_WOW64=1 the prefix is the one that also runs 32-bit programs.

ZEPHRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ "${ZEPHRIN_WOW64:-0}" = 1 ]; then
  export WINEPREFIX=${ZEPHRIN_WOW64_PREFIX:-${ZEPHRIN_BUILD_ROOT:-$ZEPHRIN_ROOT/build}/wine-wow64-prefix}
else
  export WINEPREFIX=${ZEPHRIN_WINEPREFIX:-${ZEPHRIN_BUILD_ROOT:-$ZEPHRIN_ROOT/build}/wine64-prefix}
fi
export WINEDEBUG=${WINEDEBUG:--all}
# 32-bit programs run under qemu's user-mode emulator (this kernel runs no
# 32-bit code itself). Left to itself, qemu 7 places the guest's 4 GB
# wherever the host's mappings leave room, and on some kernels (6.18 among
# them) its own mappings then land where 32-bit Wine must map the shared
# user data (0x7ffe0000): every 32-bit program stops before it starts.
# Reserving the guest's space up front keeps it all for the guest; where
# 32-bit code runs natively, no qemu reads the variable.
if [ "${ZEPHRIN_WOW64:-0}" = 1 ]; then
  export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0xf7000000}
fi
# No Mono or Gecko download prompts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Headless: the prefix uses Wine's null graphics driver.
unset DISPLAY WAYLAND_DISPLAY

# Wine's 64-bit loader, as a copy in a tree of its own that mirrors /usr
# with links to Wine's libraries and data. Where 32-bit Wine is installed
# beside it, the system loader would also build every new prefix's 32-bit
# side, under emulation here (minutes instead of seconds); the copy has no
# 32-bit loader next to it, so 64-bit prefixes stay 64-bit only.
zephrin_find_wine() {
  if [ "${ZEPHRIN_WOW64:-0}" = 1 ]; then
    zephrin_find_wine_wow64
    return
  fi
  local d real=
  for d in /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine /usr/bin; do
    if [ -x "$d/wine64" ] && [ -x "$d/wineserver64" ]; then real=$d; break; fi
  done
  if [ -z "$real" ]; then
    echo "wine64 not found: run scripts/setup.sh" >&2
    return 1
  fi
  local tree=${ZEPHRIN_BUILD_ROOT:-$ZEPHRIN_ROOT/build}/wine64-loader
  if ! cmp -s "$real/wine64" "$tree/lib/wine/wine64" 2>/dev/null; then
    mkdir -p "$tree/lib/wine" "$tree/lib/x86_64-linux-gnu" "$tree/share"
    cp "$real/wine64" "$tree/lib/wine/wine64.$$" && mv -f "$tree/lib/wine/wine64.$$" "$tree/lib/wine/wine64"
    ln -sfn "$real/wineserver64" "$tree/lib/wine/wineserver64"
    ln -sfn "$real/wineserver64" "$tree/lib/wine/wineserver"
    ln -sfn /usr/lib/x86_64-linux-gnu/wine "$tree/lib/x86_64-linux-gnu/wine"
    ln -sfn /usr/share/wine "$tree/share/wine"
  fi
  ZEPHRIN_WINE64=$tree/lib/wine/wine64
  ZEPHRIN_WINESERVER=$real/wineserver64
}

# The system's loaders, for the prefix with both sides: the 64-bit loader
# hands 32-bit programs to the 32-bit one beside it, which runs under qemu's
# user-mode emulation. Says why, and returns 77 (a skip to the test runner),
# when 32-bit programs cannot run here.
zephrin_find_wine_wow64() {
  local d=/usr/lib/wine
  if [ ! -x "$d/wine64" ] || [ ! -x "$d/wineserver64" ]; then
    echo "wine64 not found: run scripts/setup.sh" >&2
    return 1
  fi
  if [ ! -x "$d/wine" ]; then
    echo "32-bit Wine (wine32:i386) is not installed: run scripts/setup.sh as root" >&2
    return 77
  fi
  if [ "$(uname -m)" = x86_64 ] && ! grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null \
     && ! "$d/wine" --version >/dev/null 2>&1; then
    echo "this kernel runs no 32-bit programs and qemu-i386 is not registered with binfmt_misc: run scripts/setup.sh as root" >&2
    return 77
  fi
  ZEPHRIN_WINE64=$d/wine64
  ZEPHRIN_WINESERVER=$d/wineserver64
}

# Creates the prefix when it is missing, was left half made, or was made by
# another version of Wine. The prefix with both sides is ready only once a
# 32-bit program has run in it: Wine makes its 64-bit half even where no
# 32-bit program can start. When none can, this says why in one line on
# standard error and returns 77 (a skip to the test runner), and says so
# again at once on later calls, until Wine, the kernel or the emulator's
# setting changes.
zephrin_prefix_ensure() {
  zephrin_find_wine || return
  mkdir -p "$(dirname "$WINEPREFIX")"
  local stamp
  stamp=$("$ZEPHRIN_WINE64" --version 2>/dev/null)
  local no32="$WINEPREFIX.no32bit" no32stamp="$stamp $(uname -r) ${QEMU_RESERVED_VA:-}"
  (
    flock 9
    if [ "${ZEPHRIN_WOW64:-0}" = 1 ] && [ "$(head -n 1 "$no32" 2>/dev/null)" = "$no32stamp" ]; then
      tail -n 1 "$no32" >&2
      exit 77
    fi
    [ "$(cat "$WINEPREFIX/.zephrin-ready" 2>/dev/null)" = "$stamp" ] && exit 0
    echo "wine: creating the test prefix $WINEPREFIX" >&2
    local started=$SECONDS
    rm -rf "$WINEPREFIX" "$no32"
    local log="$WINEPREFIX.log"
    # Output to a file, not a pipe, and the lock closed: Wine's services
    # inherit both and would keep a reader or the next locker waiting.
    "$ZEPHRIN_WINE64" wineboot -i >"$log" 2>&1 </dev/null 9>&-
    "$ZEPHRIN_WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$log" 2>&1 </dev/null 9>&-
    if [ "${ZEPHRIN_WOW64:-0}" = 1 ] && ! zephrin_32bit_runs "$log"; then
      "$ZEPHRIN_WINESERVER" -k >/dev/null 2>&1 || true
      { echo "$no32stamp"
        echo "SKIPPED: no 32-bit program runs in $WINEPREFIX (a 32-bit cmd.exe printed nothing; Wine's words in $log)"
      } >"$no32"
      tail -n 1 "$no32" >&2
      exit 77
    fi
    "$ZEPHRIN_WINESERVER" -k >/dev/null 2>&1 || true
    "$ZEPHRIN_WINESERVER" -w
    echo "$stamp" >"$WINEPREFIX/.zephrin-ready"
    echo "wine: prefix ready after $((SECONDS - started)) s" >&2
  ) 9>"$WINEPREFIX.lock"
}

# Whether the prefix's 32-bit side runs a program: its own cmd.exe must say
# a word back. Into a file, as above; Wine's errors go to the log.
zephrin_32bit_runs() {
  local out="$WINEPREFIX.32bit-check"
  WINEDEBUG=err+all timeout 600 "$ZEPHRIN_WINE64" 'C:\windows\syswow64\cmd.exe' /c echo zephrin32 \
    >"$out" 2>>"$1" </dev/null 9>&- || true
  local said
  said=$(tr -d '\r' <"$out")
  rm -f "$out"
  [ "$said" = zephrin32 ]
}

# Starts a persistent server with its services detached from the caller's
# streams, so a test runner waiting on its pipes is not held up by them.
zephrin_server_ensure() {
  zephrin_find_wine || return
  (
    flock 9
    if "$ZEPHRIN_WINESERVER" -p"${ZEPHRIN_SERVER_PERSIST:-60}" </dev/null >/dev/null 2>&1 9>&-; then
      setsid "$ZEPHRIN_WINE64" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
    fi
  ) 9>"$WINEPREFIX.server.lock"
}

zephrin_server_stop() {
  zephrin_find_wine || return
  [ -d "$WINEPREFIX" ] || return 0
  "$ZEPHRIN_WINESERVER" -k >/dev/null 2>&1 || true
  "$ZEPHRIN_WINESERVER" -w >/dev/null 2>&1 || true
}
