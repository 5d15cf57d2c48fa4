#!/usr/bin/env bash
# lv2_validate finds no error and no warning in the built LV2 bundle.
#   check-bundle.sh BUNDLE
set -euo pipefail
bundle=$1
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
fi
