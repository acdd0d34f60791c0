#!/usr/bin/env bash
# Installs a build into a temporary prefix, then builds the consumer program outside the tree
# against it twice (CMake package, pkg-config) and runs each; the programs find the installed
# library through their run path.
#   consumer_test.sh <build dir> <source dir> [extra compiler and linker flags]
set -euo pipefail
build=$1
source=$2
flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

# cmake --install keeps a list of what it installed in the build root; that list belongs to this
# run, not to the build, so it goes again unless it was there before.
manifest=$build/install_manifest.txt
[ -e "$manifest" ] && keep_manifest=1 || keep_manifest=0
cmake --install "$build" --prefix "$prefix" >/dev/null
[ "$keep_manifest" = 1 ] || rm -f "$manifest"
# Everything below runs in the scratch folder.
cd "$work"
readelf -d "$prefix/lib/libzmxshr.so.1" | grep -q 'SONAME.*\[libzmxshr.so.1\]' || {
  echo "libzmxshr.so.1 does not carry SONAME libzmxshr.so.1"; exit 1; }
if grep -rn '#include "runtime/\|#include "siblings/' "$prefix/include"; then
  echo "an installed header includes a header that is not installed"; exit 1
fi

echo "--- find_package"
cmake -S "$source/tests/package/consumer" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$work/cmake" >/dev/null
"$work/cmake/consumer"

echo "--- pkg-config"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
# shellcheck disable=SC2046,SC2086
c++ -std=c++20 $flags "$source/tests/package/consumer/consumer.cpp" -o "$work/consumer_pc" \
  $(pkg-config --cflags --libs zmxshr) -Wl,-rpath,"$prefix/lib"
"$work/consumer_pc"
