#!/bin/sh
# make demo: shows what is built so far on the example files.
build=${1:-build}
echo "The forward conversion is not built yet; this demo lists the converter's operations."
"$build/tools/x2x/x2x" --list
