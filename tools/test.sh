#!/usr/bin/env bash
# Installs what Vantrel and its tests need, builds everything from nothing in
# build-test/ and runs every test (unit, widget, sound, install, package and
# end-to-end). The Release configuration is built too, without tests, so an
# optimiser's warning cannot slip through: warnings are errors here. Then the
# Windows build (the "windows" preset: MinGW-w64 into build-windows/) is made
# and its tests run under wine, comparing vantrel.com's game files with the
# Linux program's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" --test
rm -rf "$root/build-test" "$root/build-release" "$root/build-windows"
cmake -S "$root" -B "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON
cmake --build "$root/build-test" -j"$(nproc)"
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DVANTREL_WERROR=ON -DBUILD_TESTING=OFF
cmake --build "$root/build-release" -j"$(nproc)"
export XDG_RUNTIME_DIR="$root/build-test/xdg-runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
ctest --test-dir "$root/build-test" --output-on-failure -j"$(nproc)"
cd "$root"
cmake --preset windows -DVANTREL_LINUX_PROGRAM="$root/build-test/bin/vantrel"
cmake --build --preset windows
ctest --preset windows
"$root/tools/fuzz.sh"
