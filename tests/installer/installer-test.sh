#!/usr/bin/env bash
# The installer in the prefix that runs both kinds of program, silently, as
# a scripted install does: install, a 32-bit host's view of it, an upgrade
# over it, an upgrade refused while a host has the module loaded, and the
# uninstall, with what each step must leave checked from inside the prefix.
# Usage: installer-test.sh SETUP CHECK32 CHECK64 DLL32 DLL64 WORKDIR
set -euo pipefail
setup=$1 check32=$2 check64=$3 dll32=$4 dll64=$5 work=$6
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
run=$scripts/wine-run32
for f in "$setup" "$check64" "$dll64"; do
  [ -f "$f" ] || { echo "installer-test: $f is missing: build both targets and the installer" >&2; exit 1; }
done

export ZEPHRIN_WOW64=1
. "$scripts/wine-env.sh"
status=0
zephrin_find_wine || status=$?
[ "$status" = 77 ] && { echo "SKIPPED: 32-bit programs cannot run here" >&2; exit 77; }
[ "$status" = 0 ] || exit "$status"

dir64='C:\Program Files\Quillfen\Zephrin'
dir32='C:\Program Files (x86)\Quillfen\Zephrin'
unix64="$WINEPREFIX/drive_c/Program Files/Quillfen/Zephrin"
unix32="$WINEPREFIX/drive_c/Program Files (x86)/Quillfen/Zephrin"
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

expect_files() {
  [ "$(cd "$unix64" && ls | tr '\n' ' ')" = "README.txt Uninstall.exe Zephrin.dll " ] \
    || fail "the 64-bit folder holds: $(ls "$unix64" 2>&1 | tr '\n' ' ')"
  [ "$(cd "$unix32" && ls | tr '\n' ' ')" = "Zephrin.dll " ] \
    || fail "the 32-bit folder holds: $(ls "$unix32" 2>&1 | tr '\n' ' ')"
  cmp -s "$unix64/Zephrin.dll" "$dll64" || fail "the 64-bit folder's module is not the 64-bit build"
  cmp -s "$unix32/Zephrin.dll" "$dll32" || fail "the 32-bit folder's module is not the 32-bit build"
  grep -q $'\r$' "$unix64/README.txt" || fail "README.txt has no Windows line ends"
}

step "another filter on the host's list, in both views"
"$run" "$check64" put-other

step "silent install"
"$run" "$setup" /S || fail "the installer failed ($?)"
elapsed
expect_files
"$run" "$check64" installed "$dir64" "$dir32" || fail "the installation is not complete"

step "a 32-bit host makes the filter"
"$run" "$check32" create "$dir32" || fail "a 32-bit program cannot make the filter"
elapsed

step "upgrade over the installation"
"$run" "$setup" /S || fail "the upgrade failed ($?)"
elapsed
expect_files
"$run" "$check64" installed "$dir64" "$dir32" || fail "after the upgrade"

step "upgrade while a 64-bit host has the module loaded"
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
expect_files
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
for d in "Program Files/Quillfen" "Program Files (x86)/Quillfen"; do
  [ ! -e "$WINEPREFIX/drive_c/$d" ] || fail "left behind: $d: $(find "$WINEPREFIX/drive_c/$d" | tr '\n' ' ')"
done
"$run" "$check64" removed || fail "the uninstall left entries behind"
echo "installer-test: installed, upgraded, refused while in use and removed in $((SECONDS - started)) s"
