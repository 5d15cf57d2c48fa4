#!/usr/bin/env bash
# Builds Carla's backend (bin/libcarla_standalone2.so and its Python
# frontend) from the tarball kept in third_party/carla, into DIR/carla, once:
# about 50 s on 2 CPUs. A build of the same tarball is kept and reused; one
# test tree at a time builds it.
#   build-carla.sh TARBALL DIR
set -euo pipefail
tarball=$1 dir=$2
mkdir -p "$dir"
exec 9>"$dir.lock"
flock -w 900 9 || { echo "build-carla: another build held the lock for 15 minutes"; exit 1; }
sum=$(sha256sum "$tarball" | cut -d' ' -f1)
library=$dir/carla/bin/libcarla_standalone2.so
if [ -f "$library" ] && [ "$(cat "$dir/built-from" 2>/dev/null)" = "$sum" ]; then
  echo "build-carla: Carla's backend is built already ($library)"
  exit 0
fi
for tool in make g++; do
  command -v "$tool" >/dev/null ||
    { echo "build-carla: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
rm -rf "$dir/carla" "$dir/built-from"
tar xzf "$tarball" -C "$dir"
started=$SECONDS
# No pkg-config: Carla then builds only what needs nothing but the C++
# library; JACK is opened at run time.
if ! make -C "$dir/carla" -j2 backend PKG_CONFIG=false HAVE_LIBMAGIC=false HAVE_YSFX=false \
     HAVE_HYLIA=false >"$dir/build.log" 2>&1; then
  tail -40 "$dir/build.log"
  echo "build-carla: make failed (the whole log: $dir/build.log)"
  exit 1
fi
[ -f "$library" ] || { echo "build-carla: make made no $library"; exit 1; }
echo "$sum" >"$dir/built-from"
echo "build-carla: built $library in $((SECONDS - started)) s"
