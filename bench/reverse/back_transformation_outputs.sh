#!/bin/sh
# Writes what x2x gives for the three back transformation operations over every page the speed
# work must leave unchanged: the corpus (pages and tidy cases, each as it is and behind a component
# marker), the repro pages, the example page and the bench's generated templates, each with the
# example host and with the bench's host; and the back transformation fuzz target's seeds and kept
# corpus with a host like the target's (an input whose first byte is odd handed over as UTF-16,
# as the target reads it). Run it before and after a change and compare the two
# folders byte for byte (diff -r).
#
#   sh bench/reverse/back_transformation_outputs.sh BUILD_DIR OUT_DIR
#
# BUILD_DIR holds tools/x2x/x2x and bench/back_transformation_bench (a build with
# -DKPX_BUILD_BENCH=ON). For each input and host, OUT_DIR gets OPERATION.out (standard output),
# OPERATION.err (standard error and the exit status) and, for the partial operation, its
# component identifiers.
set -eu
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
shared=$root/../shared
x2x=$build/tools/x2x/x2x
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/back_transformation_bench" --write-pages "$work/bench"
marker='<span kpsServiceable="true" kpsId="3" name="Orders" isBegin="true">'
mkdir -p "$work/marked"
for page in "$shared"/corpus/pages/*.html "$shared"/corpus/tidy-cases/*; do
  [ -f "$page" ] || continue
  name=$(basename "$page")
  { printf '%s' "$marker"; cat "$page"; } > "$work/marked/$name"
done

# run HOST COMPONENT INPUT RESULT_DIR: the three operations on one input, named in the input's
# folder so that messages do not hold the temporary folder's name.
run() {
  mkdir -p "$4"
  cd "$(dirname "$3")"
  set -- "$1" "$2" "$(basename "$3")" "$4"
  for op in backTransformation backTransformationWithDOM; do
    status=0
    "$x2x" "$op" --host "$1" --answer no "$3" < /dev/null > "$4/$op.out" 2> "$4/$op.err" || status=$?
    echo "exit $status" >> "$4/$op.err"
  done
  for component in page "$2"; do
    op=partialBackTransformationWithDOM
    option=""
    [ "$component" = page ] || option="--component $component"
    status=0
    # shellcheck disable=SC2086
    "$x2x" $op --host "$1" --answer no $option --ids "$4/$op.$component.ids" "$3" \
      < /dev/null > "$4/$op.$component.out" 2> "$4/$op.$component.err" || status=$?
    echo "exit $status" >> "$4/$op.$component.err"
  done
}

inputs() {
  for page in "$shared"/corpus/pages/*.html "$shared"/corpus/tidy-cases/* "$shared"/repro/* \
      "$root"/examples/pages/*.html "$work"/bench/*.html; do
    [ -f "$page" ] && [ "$(basename "$page")" != LICENSE.md ] && echo "$page"
  done
  for page in "$work"/marked/*; do echo "$page"; done
}

# The fuzz target's host: a formatter answer, components shown in no position, a prefixed element.
cat > "$work/fuzz-host.xml" <<'HOST'
<host><project directory="/site"><value name="_siteLanguage" value="en"/>
<setting name="publishTemplate" value="true"/></project>
<formatter><format><extent>&lt;b kpsServiceable="true" kpsId="3"&gt;x&lt;/b&gt;</extent>
<result>]]&gt;{L}</result></format></formatter>
<page id="1" name="P" file="P.html" directory="/site/pages">
<component id="2" name="G" type="Grid" container="true">
<component id="3" name="L" type="Label"/><component id="4" name="P" type="Panel"
container="true" position="1"/></component>
<component id="5" name="K" type="Link" element="a:b" position="2"/>
<component id="6" name="R" type="Record" container="true"/></page></host>
HOST
mkdir -p "$work/fuzz"
for input in "$root"/fuzz/reverse/seeds/* "$root"/fuzz/corpus/fuzz_back_transformation/*; do
  python3 - "$input" "$work/fuzz/$(basename "$input")" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
if data and data[0] & 1:
    data = b"\xff\xfe" + data[1:1 + (len(data) - 1) // 2 * 2]
else:
    data = data.decode("utf-8", errors="replace").encode("utf-8")
open(sys.argv[2], "wb").write(data)
PY
  name=$(basename "$input")
  run "$work/fuzz-host.xml" 2 "$work/fuzz/$name" "$out/fuzz-host/$name"
done

inputs | while read -r page; do
  folder=$(basename "$(dirname "$page")")
  name=$(basename "$page")
  run "$root/examples/host.xml" 3 "$page" "$out/example-host/$folder/$name"
  run "$work/bench/host.xml" 2 "$page" "$out/bench-host/$folder/$name"
done
