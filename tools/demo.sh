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
echo "The forward conversion (template to page XML) is not built yet: this demo shows the parts"
echo "that are, with the example host (examples/host.xml)."
run --list
run clean --pipeline examples/pages/OrdersList.html
run performServiceXSLT --host examples/host.xml --stylesheet examples/xslt/order-report.xsl \
  examples/xslt/orders.xml
run convertWithDOM --host examples/host.xml
echo
echo "(convertWithDOM answers E_NOTIMPL until the forward conversion lands.)"
exit 0
