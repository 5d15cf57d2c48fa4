#!/usr/bin/env bash
# Installs, with apt-get, what the build and the tests need and is missing.
# Idempotent: when everything is there it only checks and says so.
# As root it also sets up 32-bit execution (32-bit Wine under qemu's user-mode
# emulation), unless ZEPHRIN_NO_32BIT=1. Extra arguments are more packages.
#   bash scripts/setup.sh --main   only what the main job builds and runs:
#                                  the 64-bit toolchain and wine64
#   bash scripts/setup.sh --lv2    only what the main job's --lv2 road needs:
#                                  the native compiler, the LV2 headers, jalv
#                                  and a JACK server with its Python client
set -euo pipefail

only=
case ${1:-} in
  --main|--lv2) only=${1#--}; shift ;;
esac
packages=(cmake ninja-build)
main_set=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64)
lv2_set=(g++ lv2-dev jalv jackd2 python3-jack-client)
case $only in
  main) packages+=("${main_set[@]}") ;;
  lv2) packages+=("${lv2_set[@]}") ;;
esac
if [ -z "$only" ]; then
  packages+=(
    "${main_set[@]}"
    "${lv2_set[@]}"
    g++-mingw-w64-i686-posix
    binutils-mingw-w64-i686
    googletest
    nsis
    cmark
    sordi
    lilv-utils
    dpkg-dev
    ardour
    make
  )
fi
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive

# A mirror being synced serves an index of the wrong size now and then, and
# apt-get update then fails as a whole although every other list was read:
# try again after a pause, and go on with what was read if it still fails,
# since the install that follows says plainly whether a package is missing.
update_lists() {
  local attempt
  for attempt in 1 2 3; do
    $SUDO apt-get -o DPkg::Lock::Timeout=900 update && return 0
    echo "setup: apt-get update failed (attempt $attempt of 3)"
    [ "$attempt" = 3 ] || sleep $((attempt * 15))
  done
  echo "setup: going on with the package lists as they are"
}

install_missing() {
  [ $# -gt 0 ] || return 0
  echo "setup: installing $*"
  if ! $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y --no-install-recommends "$@"; then
    echo "setup: package lists look stale; updating them and trying again"
    update_lists
    $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y --no-install-recommends "$@"
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages are installed."
else
  install_missing "${missing[@]}"
fi

if [ -n "$only" ]; then
  case $only in
    main) echo "setup: done (what the main job needs)." ;;
    lv2) echo "setup: done (what the main job's --lv2 road needs)." ;;
  esac
  exit 0
fi

# clang with libFuzzer and the sanitizers' runtimes, for scripts/fuzz.sh, which
# skips fuzzing without them: a failed install here stops nothing else.
fuzz_missing=()
for p in clang libclang-rt-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || fuzz_missing+=("$p")
done
install_missing "${fuzz_missing[@]}" ||
  echo "setup: clang or libclang-rt-dev could not be installed; fuzzing will be skipped."

# 32-bit execution: the kernel here runs no 32-bit code itself, but qemu's
# user-mode emulator, registered for 32-bit x86 ELF files, runs 32-bit Wine.
binfmt=/proc/sys/fs/binfmt_misc
setup_32bit() {
  if [ "${ZEPHRIN_NO_32BIT:-0}" = 1 ]; then
    echo "setup: 32-bit execution left alone (ZEPHRIN_NO_32BIT=1)."
    return 0
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: 32-bit execution not set up: that needs root (the 32-bit tests will be skipped)."
    return 0
  fi
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture for 32-bit Wine"
    dpkg --add-architecture i386
    update_lists
  fi
  local p need=()
  for p in wine32:i386 qemu-user-static; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
  done
  if ! install_missing "${need[@]}"; then
    echo "setup: 32-bit execution not set up: ${need[*]} could not be installed (the 32-bit tests will be skipped)."
    return 0
  fi
  if [ ! -e "$binfmt/register" ]; then
    echo "setup: mounting binfmt_misc"
    if ! mount -t binfmt_misc binfmt_misc "$binfmt"; then
      echo "setup: 32-bit execution not set up: binfmt_misc cannot be mounted (the 32-bit tests will be skipped)."
      return 0
    fi
  fi
  if [ ! -e "$binfmt/qemu-i386" ]; then
    echo "setup: registering qemu-i386-static for 32-bit x86 programs"
    # The F flag opens the emulator now, so it also works inside other
    # mount namespaces and after /usr changes.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' >"$binfmt/register"
  fi
  echo "setup: 32-bit execution is set up."
}
setup_32bit
echo "setup: done."
