#!/usr/bin/env bash
# Fails unless a plug-in's shared object exports its one entry point alone
# and needs nothing beyond the C library (the C++ runtime comes inside).
# Usage: check-linux-module.sh FILE ENTRY
set -euo pipefail
file=$1 entry=$2
exported=$(nm -D --defined-only "$file" | awk '{print $3}')
needed=$(readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
echo "exported: $exported"
echo "needed: $needed"
[ "$exported" = "$entry" ] || { echo "more than $entry is exported"; exit 1; }
for library in $needed; do
  case $library in
    libc.so.6|libm.so.6|ld-linux-x86-64.so.2) ;;
    *) echo "$library is needed beyond the C library"; exit 1 ;;
  esac
done
