#!/usr/bin/env bash
# The Debian package as a musician's system takes it: made by CPack, it
# holds the bundle under /usr/lib/lv2 and ZephrinMap.clap under /usr/lib/clap
# and needs only the C library; installed with dpkg, lv2ls finds the LV2
# plug-in on the system's LV2 path and the project's CLAP host loads the
# CLAP one from where CLAP hosts look; removed, it leaves nothing. Skipped
# (77) without root, or where the plug-in is installed already from
# elsewhere (a test must not replace it).
#   deb-package-test.sh CPACK_CONFIG VERSION CLAP_HOST
set -euo pipefail
config=$1 version=$2 clap_host=$3
package=zephrin-map-lv2 uri=urn:quillfen:zephrin-map bundle=/usr/lib/lv2/zephrin-map.lv2
clap=/usr/lib/clap/ZephrinMap.clap
skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

[ "$(id -u)" = 0 ] || skip "installing a package needs root"
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps lv2ls flock; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup.sh installs it)"
done
# One package test at a time on this machine, whichever tree runs it.
exec 9>/tmp/zephrin-map-lv2-package.lock
flock -w 600 9 || fail "another package test held the lock for 10 minutes"
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
  skip "$package is installed already"
fi
[ ! -e "$bundle" ] || skip "$bundle exists already"
[ ! -e "$clap" ] || skip "$clap exists already"
unset LV2_PATH
! lv2ls | grep -qx "$uri" || skip "lv2ls finds $uri installed elsewhere already"

work=$(mktemp -d)
installed=
cleanup() {
  [ -z "$installed" ] || dpkg -r "$package" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

if ! cpack --config "$config" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack"
fi
deb=$work/${package}_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[[ $depends =~ ^libc6(\ \(.*\))?$ ]] || fail "it depends on more than the C library"
# ./usr/, ./usr/lib/, ./usr/lib/lv2/ and the bundle's own files, and
# ./usr/lib/clap/ with ZephrinMap.clap, only.
inside='^\./usr/\(lib/\(lv2/\(zephrin-map\.lv2/.*\)\?\|clap/\(ZephrinMap\.clap\)\?\)\?\)\?$'
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v "$inside" || true)
[ -z "$outside" ] || fail "files outside $bundle and $clap: $outside"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -qx "\.$clap" || fail "no $clap in the package"

installed=1
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
lv2ls | grep -qx "$uri" || fail "lv2ls does not find $uri after installing"
echo "lv2ls finds $uri in $bundle"
"$clap_host" "$clap" info | grep -qx 'id: quillfen.zephrin-map' || fail "$clap does not load"
echo "$clap loads"
dpkg -r "$package" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
installed=
[ ! -e "$bundle" ] || fail "$bundle is left after removing: $(ls -A "$bundle")"
[ ! -e "$clap" ] || fail "$clap is left after removing"
! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
  fail "dpkg still lists $package as installed"
! lv2ls | grep -qx "$uri" || fail "lv2ls still finds $uri after removing"
echo "installed, found and removed: nothing left"
