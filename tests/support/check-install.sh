#!/usr/bin/env bash
# Installs the build into a scratch prefix and with DESTDIR, checks that the
# program, its decoder library, the desktop entry, the icons, the manual
# page, the AppStream metadata, the completion and the documents land where
# they belong, and that each installed program, started from another folder,
# loads its own decoder library.
#   check-install.sh BUILD_DIR SCRATCH_DIR LIBDIR_NAME
set -euo pipefail
build=$1
scratch=$2
libdir=$3
. "$(dirname "$0")/installed-program.sh"
rm -rf "$scratch"
mkdir -p "$scratch"
fail=0

runpath="\$ORIGIN/../$libdir/vantrel:\$ORIGIN"
desktop_id=io.github.vantrel.vantrel

expect_installed() {
  local root=$1 f
  for f in bin/vantrel "$libdir/vantrel/libmpegdll.so" "share/applications/$desktop_id.desktop" \
           share/icons/hicolor/32x32/apps/vantrel.png share/icons/hicolor/16x16/apps/vantrel.png \
           "share/metainfo/$desktop_id.metainfo.xml" share/man/man1/vantrel.1.gz \
           share/bash-completion/completions/vantrel share/doc/vantrel/copyright share/doc/vantrel/changelog.gz; do
    if [ -e "$root/$f" ]; then echo "installed: $f"; else echo "missing: $f"; fail=1; fi
  done
  if [ -e "$root/$libdir/libmpegdll.so" ]; then
    echo "the decoder library is in the public library folder"; fail=1
  fi
  expect_clean_runpath "$root/bin/vantrel" "$runpath" || fail=1
  grep -q '^Icon=vantrel$' "$root/share/applications/$desktop_id.desktop" || { echo "desktop entry without icon"; fail=1; }
}

expect_clean_runpath "$build/bin/vantrel" "$runpath" || fail=1

prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
expect_installed "$prefix"
expect_library_loads "$prefix/bin/vantrel" "$prefix/$libdir/vantrel/libmpegdll.so" "$scratch/run-prefix" || fail=1

staged="$scratch/destdir"
DESTDIR="$staged" cmake --install "$build" --prefix /opt/vantrel >/dev/null
expect_installed "$staged/opt/vantrel"
expect_library_loads "$staged/opt/vantrel/bin/vantrel" "$staged/opt/vantrel/$libdir/vantrel/libmpegdll.so" \
  "$scratch/run-destdir" || fail=1
exit $fail
