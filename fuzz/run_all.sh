#!/bin/sh
# Runs the libFuzzer targets of a fuzz build, one after the other, each for a bounded time. Each
# starts from its seeds and its kept corpus (fuzz/corpus/TARGET), and what it finds is merged back
# into that corpus, minimized (-merge=1): the corpus keeps a small set of inputs that reach code
# the seeds alone do not, so every run goes on from where the earlier ones stopped. Crashes are
# written to BUILD_DIR/fuzz/artifacts/. FUZZ_FLAGS adds libFuzzer options (the last one wins).
# Usage: fuzz/run_all.sh BUILD_DIR [SECONDS] [TARGET...]   (no TARGET: every target)
build=$1
seconds=${2:-20}
shift
[ $# -gt 0 ] && shift
corpora=$(cd "$(dirname "$0")" && pwd)/corpus
artifacts=$(cd "$build" && pwd)/fuzz/artifacts
mkdir -p "$artifacts"
# Pages beyond 64 KB slow the search down and reach nothing that smaller ones do not.
options="-rss_limit_mb=2048 -timeout=10 -max_len=65536 ${FUZZ_FLAGS:-}"

if [ $# -gt 0 ]; then
  targets=""
  for name in "$@"; do targets="$targets $build/fuzz/$name"; done
else
  targets=$(find "$build/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
fi

count() { find "$1" -type f | wc -l; }
kbytes() { echo $(($(find "$1" -type f -exec cat {} + | wc -c) / 1024)); }

status=0
for target in $targets; do
  name=$(basename "$target")
  if [ ! -x "$target" ]; then
    echo "== $name: no such fuzz target in $build/fuzz"
    status=1
    continue
  fi
  corpus=$corpora/$name
  mkdir -p "$corpus"
  work=$(mktemp -d)
  mkdir "$work/seeds" "$work/found" "$work/merged"
  seeds_file="$build/fuzz/$name.seeds"
  if [ -f "$seeds_file" ]; then
    while read -r s; do
      [ -d "$s" ] && cp -r "$s"/. "$work/seeds"/ 2>/dev/null
      [ -f "$s" ] && cp "$s" "$work/seeds"/ 2>/dev/null
    done <"$seeds_file"
  fi

  echo "== $name ($seconds s, $(count "$corpus") kept inputs)"
  # New finds go to the first folder; the others are read.
  if ! "$target" $options -max_total_time="$seconds" -artifact_prefix="$artifacts/$name-" \
    "$work/found" "$corpus" "$work/seeds"; then
    echo "== $name FAILED: see $artifacts/$name-*"
    status=1
  fi

  # The seeds go first into the merge, so that inputs reaching nothing beyond them are left out,
  # and are taken out again afterwards. The merge weighs code reached, not how often: hit counts
  # are found again within seconds, and keeping them would let the corpus grow with every run.
  cp -r "$work/seeds"/. "$work/merged"/
  if "$target" $options -use_counters=0 -merge=1 "$work/merged" "$corpus" "$work/found" \
    >"$work/merge.log" 2>&1; then
    (cd "$work/seeds" && find . -type f) | (cd "$work/merged" && xargs -r rm -f)
    find "$work/merged" -mindepth 1 -type d -empty -delete
    rm -rf "$corpus"
    mkdir -p "$corpus"
    find "$work/merged" -type f -exec mv {} "$corpus"/ \;
    echo "== $name: corpus $(count "$corpus") inputs, $(kbytes "$corpus") KB"
  else
    echo "== $name: merge failed, corpus left as it was"
    tail -n 20 "$work/merge.log"
    status=1
  fi
  rm -rf "$work"
done
exit $status
