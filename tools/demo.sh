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

echo "KPXHTML2XMLConverter demo, with the example host (examples/host.xml), whose converter"
echo "profile is examples/profiles/ForwardProfile.xml."
run --list
run clean --pipeline examples/pages/OrdersList.html
run performServiceXSLT --host examples/host.xml --stylesheet examples/xslt/order-report.xsl \
  examples/xslt/orders.xml
run convert --host examples/host.xml --page Header
run convert --host examples/host.xml --page OrdersList
run convertUsingProfile --host examples/host.xml --profile examples/profiles/ForwardProfile.xml \
  --target sync examples/pages/OrdersList.html
run convertForPreview --host examples/host.xml --dump-project examples/pages/OrdersList.html
run convertWithDOM --host examples/host.xml --page OrdersList
exit 0
