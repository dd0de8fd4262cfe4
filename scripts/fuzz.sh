#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in a build folder of their own, then runs each
# for a number of executions on a copy of its seeds and prints, per target, the executions, the
# coverage libFuzzer reports and the crash files it saved.
#   scripts/fuzz.sh [BUILD-FOLDER] [RUNS] [TARGET...]   (defaults: build-fuzz, 1000000, all)
# Builds and runs take the shared build lock, as every long job on this machine does.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-fuzz}
runs=${2:-1000000}
lock=/tmp/pvx-build.lock
seeds=$root/fuzz/seeds

shift $(($# < 2 ? $# : 2))
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for folder in "$seeds"/*/; do targets+=("$(basename "$folder")"); done
fi

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ flock "$lock" cmake -S "$root" -B "$build" -G Ninja -DOKA_PVX_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
flock "$lock" ninja -C "$build" "${targets[@]/#/fuzz_}"

printf '%-16s %12s %8s %8s\n' target executions cov crashes
failed=0
for t in "${targets[@]}"; do
  # Beside, not inside, the build's own fuzz/ folder.
  corpus=$build/fuzz-runs/$t/corpus
  crashes=$build/fuzz-runs/$t/crashes
  log=$build/fuzz-runs/$t/log.txt
  rm -rf "$corpus" "$crashes"
  mkdir -p "$corpus" "$crashes"
  cp "$seeds/$t"/* "$corpus"/
  # A private program folder also for what runs before the target sets up its own.
  home=$(mktemp -d)
  status=0
  OKA_PVX_HOME=$home QT_QPA_PLATFORM=offscreen flock "$lock" \
    "$build/bin/fuzz_$t" -runs="$runs" -timeout=10 -artifact_prefix="$crashes/" "$corpus" \
    >"$log" 2>&1 || status=$?
  rm -rf "$home"
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
  [ -n "$done_line" ] || done_line=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
  executions=$(sed -E 's/^#([0-9]+).*/\1/' <<<"$done_line")
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$done_line")
  found=$(find "$crashes" -type f | wc -l)
  printf '%-16s %12s %8s %8s\n' "$t" "${executions:-?}" "${cov:-?}" "$found"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    echo "  see $log"
  fi
done
exit "$failed"
