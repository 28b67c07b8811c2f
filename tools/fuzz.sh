#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for a
# bounded time (FUZZ_SECONDS, default 30) on its seeds in fuzz/corpus/<target>/.
# A crash, a sanitizer report, a leak or an input that runs over 10 s fails
# the run; the input that did it is kept in build-fuzz/artifacts/<target>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds=${FUZZ_SECONDS:-30}
# The targets write their input to a file on every run and the settings file
# syncs what it writes: a memory file system keeps that off the disk. A
# folder of this run's own takes what a crashed target leaves behind.
scratch=${TMPDIR:-}
if [ -z "$scratch" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then scratch=/dev/shm; fi
TMPDIR=$(mktemp -d "${scratch:-/tmp}/vantrel-fuzz.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON \
  "${launcher[@]}"
mapfile -t targets < "$build/fuzz-targets.txt"
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  seeds=()
  if [ -d "$root/fuzz/corpus/$target" ]; then seeds=("$root/fuzz/corpus/$target"); fi
  echo "== $target: ${seconds} s"
  log="$build/$target.log"
  status=0
  # New inputs go to the build's corpus; the seeds in the tree stay as they are.
  "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" > "$log" 2>&1 || status=$?
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "$target failed (exit $status): the input is in $artifacts/" >&2
    exit 1
  fi
done
