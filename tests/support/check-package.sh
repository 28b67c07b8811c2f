#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks its name, its
# files, its dependencies, and that the program unpacked from it loads its
# own decoder library.
#   check-package.sh BUILD_DIR SCRATCH_DIR VERSION
set -euo pipefail
build=$1
scratch=$2
version=$3
. "$(dirname "$0")/installed-program.sh"
rm -rf "$scratch"
mkdir -p "$scratch"
fail=0

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log"; exit 1; }
deb="$scratch/vantrel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no $deb"; ls "$scratch"; exit 1; }

files=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in ./usr/bin/vantrel ./usr/lib/vantrel/libmpegdll.so ./usr/share/applications/vantrel.desktop \
         ./usr/share/icons/hicolor/32x32/apps/vantrel.png ./usr/share/icons/hicolor/16x16/apps/vantrel.png; do
  if grep -qxF "$f" <<<"$files"; then echo "packaged: $f"; else echo "not packaged: $f"; fail=1; fi
done
if grep -v -e '/$' <<<"$files" | grep -v -e '^./usr/bin/vantrel$' -e '^./usr/lib/vantrel/libmpegdll.so$' \
     -e '^./usr/share/applications/' -e '^./usr/share/icons/'; then
  echo "files the program does not need are packaged (above)"; fail=1
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libqt6widgets6 libqt6gui6 libqt6core6 libmpg123-0 libout123-0 libsndfile1 mpg123; do
  grep -Eq "(^|, )$p( |,|$)" <<<"$depends" || { echo "Depends lacks $p"; fail=1; }
done
[ -n "$(dpkg-deb -f "$deb" Description)" ] || { echo "no description"; fail=1; }

dpkg-deb -x "$deb" "$scratch/root"
expect_library_loads "$scratch/root/usr/bin/vantrel" "$scratch/root/usr/lib/vantrel/libmpegdll.so" \
  "$scratch/run" || fail=1
exit $fail
