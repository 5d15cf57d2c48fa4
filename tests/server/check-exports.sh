#!/usr/bin/env bash
# Fails unless a built module exports exactly its entry points, by plain
# (undecorated) name at ordinals from 1, and imports Windows system DLLs only
# (check-imports.sh). The entry points are the four COM ones unless
# --exports names others, one "ORDINAL NAME" a line (ZephrinMap.clap: its
# one "1 clap_entry").
#
#   check-exports.sh [--exports LIST] OBJDUMP MODULE CHECK_IMPORTS
#   check-exports.sh --refuses OBJDUMP MODULE
#
# The second form is the checker's own test: it damages the module's listing
# in each way the check must catch and fails unless every damage is refused.
set -euo pipefail

expected=$'1 DllCanUnloadNow\n2 DllGetClassObject\n3 DllRegisterServer\n4 DllUnregisterServer'
if [ "$1" = --exports ]; then
  expected=$2
  shift 2
fi
entries=$(wc -l <<<"$expected")

# Reads an objdump -p listing on standard input; prints what is wrong.
check_listing() {
  local listing base addresses names actual
  listing=$(tr -d '\r')
  base=$(sed -n 's/^Ordinal Base[[:space:]]*\([0-9][0-9]*\)$/\1/p' <<<"$listing")
  [ -n "$base" ] || { echo "no export table"; return 1; }
  addresses=$(sed -n '/^Export Address Table -- /,/^$/p' <<<"$listing" | grep -c 'RVA' || true)
  names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$listing" |
          sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9][0-9]*\)\][[:space:]]*\(.*\)$/\1 \2/p')
  actual=$(while read -r index name; do
             [ -n "$index" ] && echo "$((base + index)) $name"
           done <<<"$names" | sort -n)
  local status=0
  if grep -Eq '(^[0-9]+ _|@[0-9]+$)' <<<"$actual"; then
    echo "decorated names: $(grep -E '(^[0-9]+ _|@[0-9]+$)' <<<"$actual" | tr '\n' ' ')"
    status=1
  fi
  if [ "$addresses" -ne "$entries" ]; then
    echo "$addresses entries in the export address table, not $entries"
    status=1
  fi
  if [ "$actual" != "$expected" ]; then
    echo "exports (ordinal name) are:"
    sed 's/^/  /' <<<"$actual"
    status=1
  fi
  return $status
}

if [ "$1" = --refuses ]; then
  objdump=$2 module=$3
  listing=$("$objdump" -p "$module" | tr -d '\r')
  check_listing <<<"$listing" >/dev/null || { echo "the module itself fails the check"; exit 1; }
  status=0
  refuse() {  # name, sed script, a word the report must contain
    local report
    if report=$(sed "$2" <<<"$listing" | check_listing); then
      echo "not refused: $1"
      status=1
    elif ! grep -q "$3" <<<"$report"; then
      echo "refused for the wrong reason: $1: $report"
      status=1
    fi
  }
  refuse "a decorated name" 's/\] DllGetClassObject$/] _DllGetClassObject@12/' decorated
  refuse "swapped ordinals" 's/\[   0\] DllCanUnloadNow/[   1] DllCanUnloadNow/; s/\[   1\] DllGetClassObject/[   0] DllGetClassObject/' 'exports (ordinal name)'
  refuse "an extra export" '/\] DllUnregisterServer$/a\	[   4] DllInstall' 'exports (ordinal name)'
  refuse "an export by ordinal only" '/+base\[   4\]/a\	[   4] +base[   5] 2000 Export RVA' 'entries in the export address table'
  refuse "ordinals from 2" 's/^Ordinal Base\([[:space:]]*\)1$/Ordinal Base\12/' 'exports (ordinal name)'
  [ $status -eq 0 ] && echo "check-exports: every damaged export table is refused"
  exit $status
fi

objdump=$1 module=$2 check_imports=$3
if ! report=$("$objdump" -p "$module" | check_listing); then
  echo "$module: wrong exports"
  echo "$report"
  exit 1
fi
echo "$module: exports $(sed 's/^\([0-9]*\) \(.*\)$/\2 @\1/' <<<"$expected" | paste -sd, | sed 's/,/, /g'), nothing else"
bash "$check_imports" "$objdump" "$module"
