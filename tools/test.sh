#!/usr/bin/env bash
# Installs what Vantrel and its tests need, builds everything from nothing in
# build-test/ and runs every test (unit, widget, sound and end-to-end).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" --test
rm -rf "$root/build-test"
cmake -S "$root" -B "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build-test" -j"$(nproc)"
export XDG_RUNTIME_DIR="$root/build-test/xdg-runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
ctest --test-dir "$root/build-test" --output-on-failure -j"$(nproc)"
"$root/tools/fuzz.sh"
