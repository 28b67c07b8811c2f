#!/usr/bin/env bash
# Installs the Debian 12 packages Vantrel needs to build, run and test.
#   install-deps.sh        build and run
#   install-deps.sh --test also what the tests and benchmarks need (lintian,
#                          desktop-file-utils, appstream and man-db check the
#                          package, its desktop entry, metadata and manual;
#                          the MinGW-w64 cross compiler and wine build and run
#                          the Windows build and its tests)
set -euo pipefail
# libsoxr-dev: the low-pass resampler of --resample (the engine sox itself
# uses), in place of a filter of our own.
build_pkgs=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  libmpg123-dev mpg123 libsndfile1-dev libsoxr-dev)
run_pkgs=(xvfb xauth x11-utils imagemagick fonts-dejavu-core pulseaudio)
test_pkgs=(googletest libgtest-dev libgmock-dev libbenchmark-dev xdotool pulseaudio-utils
  lame sox dbus dbus-x11 at-spi2-core python3 python3-pyatspi x11-utils binutils time bc
  dpkg-dev clang libfuzzer-14-dev lintian desktop-file-utils appstream man-db strace
  g++-mingw-w64-x86-64 wine wine64)
pkgs=("${build_pkgs[@]}" "${run_pkgs[@]}")
if [ "${1:-}" = "--test" ]; then pkgs+=("${test_pkgs[@]}"); fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
