#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the program, its
# decoder library, the desktop entry and the icons land where they belong.
#   check-install.sh BUILD_DIR SCRATCH_DIR LIBDIR_NAME
set -euo pipefail
build=$1
prefix=$2
libdir=$3
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
fail=0
for f in bin/vantrel "$libdir/libmpegdll.so" share/applications/vantrel.desktop \
         share/icons/hicolor/32x32/apps/vantrel.png share/icons/hicolor/16x16/apps/vantrel.png; do
  if [ -e "$prefix/$f" ]; then echo "installed: $f"; else echo "missing: $f"; fail=1; fi
done
if ! readelf -d "$prefix/bin/vantrel" | grep -q 'RUNPATH.*\$ORIGIN'; then
  echo "the program does not look for its decoder library beside itself"; fail=1
fi
grep -q '^Icon=vantrel$' "$prefix/share/applications/vantrel.desktop" || { echo "desktop entry without icon"; fail=1; }
exit $fail
