#!/usr/bin/env bash
# The installer in the prefix that runs both kinds of program, silently, as
# a scripted install does: the earlier installer (Zephrin only), this one
# over it, a 32-bit host's view of both plug-ins, an upgrade over itself, an
# upgrade refused while a host has a module loaded, and the uninstall, with
# what each step must leave checked from inside the prefix; ZephrinMap.clap
# of each kind in the CLAP folder of its kind, and gone with the uninstall.
# Usage: installer-test.sh SETUP EARLIER_SETUP CHECK32 CHECK64 PLUGINS32 PLUGINS64 WORKDIR
# (PLUGINS32 and PLUGINS64: the folders with each target's built modules,
# the 32-bit one with the built guide)
set -euo pipefail
setup=$1 earlier=$2 check32=$3 check64=$4 plugins32=$5 plugins64=$6 work=$7
guide=$plugins32/ZephrinGuide.html
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
run=$scripts/wine-run32
for f in "$setup" "$earlier" "$check64" "$plugins64/Zephrin.dll" "$plugins64/ZephrinMap.dll" \
         "$plugins64/ZephrinMap.clap"; do
  [ -f "$f" ] || { echo "installer-test: $f is missing: build both targets and the installer" >&2; exit 1; }
done

export ZEPHRIN_WOW64=1
. "$scripts/wine-env.sh"
status=0
zephrin_find_wine || status=$?
[ "$status" = 77 ] && { echo "SKIPPED: 32-bit programs cannot run here" >&2; exit 77; }
[ "$status" = 0 ] || exit "$status"
zephrin_prefix_ensure || exit  # a skip, with the reason, when no 32-bit program runs in it

dir64='C:\Program Files\Quillfen\Zephrin'
dir32='C:\Program Files (x86)\Quillfen\Zephrin'
unix64="$WINEPREFIX/drive_c/Program Files/Quillfen/Zephrin"
unix32="$WINEPREFIX/drive_c/Program Files (x86)/Quillfen/Zephrin"
clap64="$WINEPREFIX/drive_c/Program Files/Common Files/CLAP"
clap32="$WINEPREFIX/drive_c/Program Files (x86)/Common Files/CLAP"
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

step() { echo "== $*"; }
fail() { echo "installer-test: $*" >&2; exit 1; }
started=$SECONDS
elapsed() { echo "   ($((SECONDS - started)) s so far)"; }

rm -rf "$work"
mkdir -p "$work"

# What a test that stopped half way may have left.
if [ -f "$unix64/Uninstall.exe" ]; then
  step "removing an earlier test's installation"
  "$run" "$dir64\\Uninstall.exe" /S || true
  for _ in $(seq 60); do [ -e "$unix64/Uninstall.exe" ] || break; sleep 5; done
fi
rm -rf "$WINEPREFIX/drive_c/Program Files/Quillfen" "$WINEPREFIX/drive_c/Program Files (x86)/Quillfen"
rm -f "$clap64/ZephrinMap.clap" "$clap32/ZephrinMap.clap"

# expect_files MODULE...: the folders hold these modules, each its target's
# build, and the 64-bit one the readme and the uninstaller as well; with
# Zephrin Map (this installer), the guide is in both folders and the Start
# menu has its shortcut.
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillfen/Zephrin guide.lnk"
expect_files() {
  local files32 files64
  files32=$(printf '%s.dll\n' "$@")
  if [ "$*" = "Zephrin ZephrinMap" ]; then
    files32=$(printf '%s\nZephrinGuide.html\n' "$files32")
    [ -f "$shortcut" ] || fail "no Start-menu shortcut to the guide"
    cmp -s "$unix64/ZephrinGuide.html" "$guide" || fail "the 64-bit folder's guide is not the built one"
  fi
  files64=$(printf 'README.txt\nUninstall.exe\n%s\n' "$files32")
  [ "$(cd "$unix64" && ls | LC_ALL=C sort)" = "$(LC_ALL=C sort <<<"$files64")" ] \
    || fail "the 64-bit folder holds: $(ls "$unix64" 2>&1 | tr '\n' ' ')"
  [ "$(cd "$unix32" && ls | LC_ALL=C sort)" = "$(LC_ALL=C sort <<<"$files32")" ] \
    || fail "the 32-bit folder holds: $(ls "$unix32" 2>&1 | tr '\n' ' ')"
  for module in "$@"; do
    cmp -s "$unix64/$module.dll" "$plugins64/$module.dll" || fail "the 64-bit $module.dll is not the 64-bit build"
    cmp -s "$unix32/$module.dll" "$plugins32/$module.dll" || fail "the 32-bit $module.dll is not the 32-bit build"
  done
  grep -q $'\r$' "$unix64/README.txt" || fail "README.txt has no Windows line ends"
  if [ "$*" = "Zephrin ZephrinMap" ]; then
    cmp -s "$clap64/ZephrinMap.clap" "$plugins64/ZephrinMap.clap" ||
      fail "Common Files\\CLAP has not the 64-bit ZephrinMap.clap: $(ls "$clap64" 2>&1)"
    cmp -s "$clap32/ZephrinMap.clap" "$plugins32/ZephrinMap.clap" ||
      fail "Common Files (x86)\\CLAP has not the 32-bit ZephrinMap.clap: $(ls "$clap32" 2>&1)"
  else
    [ ! -e "$clap64/ZephrinMap.clap" ] && [ ! -e "$clap32/ZephrinMap.clap" ] ||
      fail "a ZephrinMap.clap before this installer put one"
  fi
}

step "another filter on the host's list, in both views"
"$run" "$check64" put-other

step "the earlier installer, Zephrin only"
"$run" "$earlier" /S || fail "the earlier installer failed ($?)"
elapsed
expect_files Zephrin
"$run" "$check64" zephrin-only "$dir64" "$dir32" || fail "the earlier installation is not what it was"

step "silent install over it: Zephrin upgraded in place, Zephrin Map added"
"$run" "$setup" /S || fail "the installer failed ($?)"
elapsed
expect_files Zephrin ZephrinMap
"$run" "$check64" installed "$dir64" "$dir32" || fail "the installation is not complete"

step "a 32-bit host makes both filters"
"$run" "$check32" create "$dir32" || fail "a 32-bit program cannot make the filters"
elapsed

step "upgrade over the installation"
"$run" "$setup" /S || fail "the upgrade failed ($?)"
elapsed
expect_files Zephrin ZephrinMap
"$run" "$check64" installed "$dir64" "$dir32" || fail "after the upgrade"

step "upgrade while a 64-bit host has ZephrinMap.dll loaded"
ready=$work/held stop=$work/release
"$run" "$check64" hold "$dir64" "$(windows_path "$ready")" "$(windows_path "$stop")" &
holder=$!
for _ in $(seq 120); do [ -e "$ready" ] && break; sleep 0.5; done
[ -e "$ready" ] || { kill "$holder" 2>/dev/null; fail "the module could not be held loaded"; }
refused=0
"$run" "$setup" /S || refused=$?
touch "$stop"
wait "$holder" || true
elapsed
[ "$refused" = 3 ] || fail "the installer did not refuse a module in use (exit $refused, expected 3)"
expect_files Zephrin ZephrinMap
"$run" "$check64" installed "$dir64" "$dir32" || fail "a refused upgrade changed the installation"

step "silent uninstall"
# The uninstaller copies itself away and runs from there, so its first
# process ends at once: wait for the second to finish.
"$run" "$dir64\\Uninstall.exe" /S || fail "the uninstaller failed ($?)"
gone() {
  [ ! -e "$WINEPREFIX/drive_c/Program Files/Quillfen" ] &&
    [ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/Quillfen" ] &&
    "$run" "$check64" removed 2>/dev/null
}
for _ in $(seq 120); do gone && break; sleep 5; done
elapsed
[ ! -e "$shortcut" ] && [ ! -e "$(dirname "$shortcut")" ] || fail "the Start-menu shortcut or its folder is left"
for d in "Program Files/Quillfen" "Program Files (x86)/Quillfen" \
         "Program Files/Common Files/CLAP" "Program Files (x86)/Common Files/CLAP"; do
  [ ! -e "$WINEPREFIX/drive_c/$d" ] || fail "left behind: $d: $(find "$WINEPREFIX/drive_c/$d" | tr '\n' ' ')"
done
"$run" "$check64" removed || fail "the uninstall left entries behind"
echo "installer-test: installed, upgraded, refused while in use and removed in $((SECONDS - started)) s"
