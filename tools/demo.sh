#!/bin/sh
# make demo: shows the converter at work on the example files, as far as it is built.
set -u
build=${1:-build}
x2x="$build/tools/x2x/x2x"
run() {
  echo
  echo "\$ x2x $*"
  "$x2x" "$@"
}

echo "KPXHTML2XMLConverter demo."
echo "The full forward pipeline (balance, cleaner, converter profiles) is being built: this demo"
echo "shows what works, with the example host (examples/host.xml)."
run --list
run clean --pipeline examples/pages/OrdersList.html
run performServiceXSLT --host examples/host.xml --stylesheet examples/xslt/order-report.xsl \
  examples/xslt/orders.xml
run convert --host examples/host.xml --page Header
run convert --host examples/host.xml --page OrdersList
run convertWithDOM --host examples/host.xml
echo
echo "(convertWithDOM answers E_NOTIMPL until the conversion pipeline lands.)"
exit 0
