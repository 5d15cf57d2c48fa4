#!/usr/bin/env bash
# Run after Zephrin.dll is linked: fails the build when the module has grown
# past its bound or when the link pulled in the C++ runtime's exception,
# type-information or threading machinery, or mingw-w64's own printf.
# Usage: check-module.sh MODULE LINK_MAP MAX_BYTES
set -euo pipefail
module=$1 map=$2 max=$3
status=0
size=$(stat -c %s "$module")
if [ "$size" -gt "$max" ]; then
  echo "$module: $size bytes, more than the $max allowed" >&2
  status=1
fi
# Archive members appear in the map as archive(member) once linked in.
forbidden='libgcc_eh\.a\(|libstdc\+\+\.a\((eh_|cp-demangle|guard|vterminate|tinfo|.*type_info|pure)|lib(win)?pthread[^ ]*\.a\(|mingw_pformat'
if found=$(grep -oE "[^ /]*($forbidden)[^ )]*\)" "$map" | sort -u) && [ -n "$found" ]; then
  echo "$module: linked in runtime parts the module must not need:" >&2
  printf '  %s\n' $found >&2
  status=1
fi
exit $status
