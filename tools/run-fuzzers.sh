#!/usr/bin/env bash
# Runs every fuzz target briefly: a smoke run, not a campaign.
set -euo pipefail
dir=${1:-build-fuzz}
runs=${FUZZ_RUNS:-20000}
# Targets that open a whole board run slower: each stops at its runs or its seconds.
seconds=${FUZZ_SECONDS:-30}
shopt -s nullglob
count=0
for f in "$dir"/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus="fuzz/corpus/${name#fuzz_}"
  args=(-runs="$runs" -max_total_time="$seconds" -max_len=4096)
  if [ -d "$corpus" ]; then
    work=$(mktemp -d); cp -r "$corpus"/. "$work"/
    "$f" "${args[@]}" "$work" >/dev/null 2>"$dir/$name.log" || { cat "$dir/$name.log"; exit 1; }
    rm -rf "$work"
  else
    "$f" "${args[@]}" >/dev/null 2>"$dir/$name.log" || { cat "$dir/$name.log"; exit 1; }
  fi
  count=$((count + 1))
done
echo "fuzz smoke runs: $count targets, $runs runs or $seconds s each"
