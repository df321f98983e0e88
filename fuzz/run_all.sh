#!/bin/sh
# Runs every libFuzzer target of a fuzz build for a bounded time on a scratch copy of its seeds.
# Usage: fuzz/run_all.sh BUILD_DIR SECONDS
build=$1
seconds=${2:-20}
status=0
for target in $(find "$build/fuzz" -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$target")
  work=$(mktemp -d)
  seeds_file="$build/fuzz/$name.seeds"
  if [ -f "$seeds_file" ]; then
    for s in $(cat "$seeds_file"); do
      [ -d "$s" ] && cp -r "$s"/. "$work"/ 2>/dev/null
      [ -f "$s" ] && cp "$s" "$work"/ 2>/dev/null
    done
  fi
  echo "== $name ($seconds s)"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 "$work"; then
    echo "== $name FAILED"
    status=1
  fi
  rm -rf "$work"
done
exit $status
