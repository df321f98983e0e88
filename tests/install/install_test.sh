#!/bin/sh
# Installs the build into a scratch prefix and builds the embedding example against it twice:
# through the CMake package and through pkg-config. Then runs both programs.
# Usage: install_test.sh SOURCE_DIR BUILD_DIR
set -eu
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
test -f "$prefix/include/kpx/kpxhtml2xml.h"
test -x "$prefix/bin/x2x" || { echo "x2x was not installed"; exit 1; }

# Only the entry points and the COM subset leave the library, with C linkage.
for symbol in DllGetClassObject DllCanUnloadNow DllRegisterServer DllUnregisterServer; do
  nm -D --defined-only "$prefix"/lib*/libkpxhtml2xml.so | grep -q " T $symbol\$" ||
    { echo "missing export: $symbol"; exit 1; }
done

cmake -S "$src/examples/embed" -B "$work/embed" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/embed" >/dev/null
LD_LIBRARY_PATH="$prefix/lib:$prefix/lib/x86_64-linux-gnu" "$work/embed/embed_example" |
  grep -q "balance returned 0x"

pcdir=$(dirname "$(find "$prefix" -name kpxhtml2xml.pc)")
flags=$(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs kpxhtml2xml)
# shellcheck disable=SC2086
c++ "$src/examples/embed/main.cc" -o "$work/embed_pc" $flags
LD_LIBRARY_PATH="$prefix/lib:$prefix/lib/x86_64-linux-gnu" "$work/embed_pc" | grep -q "balance returned 0x"

# The installed x2x finds the installed library by itself.
"$prefix/bin/x2x" --list | head -n 1 | grep -q '^convert'
echo "install test passed"
