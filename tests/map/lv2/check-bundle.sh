#!/usr/bin/env bash
# Checks the built LV2 bundle:
#   check-bundle.sh validate BUNDLE  lv2_validate finds no error and no warning
#   check-bundle.sh exports BUNDLE   the shared object shows lv2_descriptor
#                                    alone and needs nothing beyond the C library
set -euo pipefail
check=$1 bundle=$2
so=$bundle/zephrin-map.so
case $check in
  validate)
    if ! command -v lv2_validate >/dev/null; then
      echo "skipped: no lv2_validate here (packages lv2-dev, sordi: scripts/setup.sh)"
      exit 77
    fi
    status=0
    report=$(lv2_validate "$bundle"/*.ttl 2>&1) || status=$?
    echo "$report" | grep -v '^Skipping file /usr/lib/lv2/'
    [ "$status" = 0 ] || { echo "lv2_validate failed ($status)"; exit 1; }
    if echo "$report" | grep -qi '^\(error\|warning\)'; then
      echo "lv2_validate reported the lines above"
      exit 1
    fi ;;
  exports)
    exported=$(nm -D --defined-only "$so" | awk '{print $3}')
    needed=$(readelf -d "$so" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
    echo "exported: $exported"
    echo "needed: $needed"
    [ "$exported" = lv2_descriptor ] || { echo "more than lv2_descriptor is exported"; exit 1; }
    for library in $needed; do
      case $library in
        libc.so.6|libm.so.6|ld-linux-x86-64.so.2) ;;
        *) echo "$library is needed beyond the C library"; exit 1 ;;
      esac
    done ;;
  *) echo "usage: check-bundle.sh validate|exports BUNDLE" >&2; exit 2 ;;
esac
