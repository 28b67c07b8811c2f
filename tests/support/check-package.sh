#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks its name, its
# files, its dependencies, that Debian's own tools find nothing wrong with it
# (lintian: no error, no warning, no override; desktop-file-validate;
# appstreamcli validate --pedantic; man --warnings), and that the program
# unpacked from it loads its own decoder library.
#   check-package.sh BUILD_DIR SCRATCH_DIR VERSION
set -euo pipefail
build=$1
scratch=$2
version=$3
. "$(dirname "$0")/installed-program.sh"
rm -rf "$scratch"
mkdir -p "$scratch"
fail=0
desktop_id=io.github.vantrel.vantrel

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log"; exit 1; }
deb="$scratch/vantrel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no $deb"; ls "$scratch"; exit 1; }

expected=(./usr/bin/vantrel ./usr/lib/vantrel/libmpegdll.so "./usr/share/applications/$desktop_id.desktop"
  ./usr/share/icons/hicolor/32x32/apps/vantrel.png ./usr/share/icons/hicolor/16x16/apps/vantrel.png
  "./usr/share/metainfo/$desktop_id.metainfo.xml" ./usr/share/man/man1/vantrel.1.gz
  ./usr/share/bash-completion/completions/vantrel ./usr/share/doc/vantrel/copyright
  ./usr/share/doc/vantrel/changelog.gz)
files=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in "${expected[@]}"; do
  if grep -qxF "$f" <<<"$files"; then echo "packaged: $f"; else echo "not packaged: $f"; fail=1; fi
done
if grep -v -e '/$' <<<"$files" | grep -vxF -f <(printf '%s\n' "${expected[@]}"); then
  echo "files the program does not need are packaged (above)"; fail=1
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libqt6widgets6 libqt6gui6 libqt6core6 libmpg123-0 libout123-0 libsndfile1 libsoxr0 mpg123; do
  grep -Eq "(^|, )$p( |,|$)" <<<"$depends" || { echo "Depends lacks $p"; fail=1; }
done
[ -n "$(dpkg-deb -f "$deb" Description)" ] || { echo "no description"; fail=1; }

# The private decoder library is nothing for the loader's cache: no
# maintainer script, no trigger.
dpkg-deb -e "$deb" "$scratch/control"
for f in postinst postrm preinst prerm triggers; do
  [ -e "$scratch/control/$f" ] && { echo "the package has a $f:"; cat "$scratch/control/$f"; fail=1; }
done

# Every tag at the levels error and warning fails; an override would hide one.
if grep -q lintian <<<"$files"; then echo "the package carries a lintian override"; fail=1; fi
lintian --allow-root --fail-on error,warning --display-level '>=warning' --tag-display-limit 0 "$deb" \
  >"$scratch/lintian.log" 2>&1 || { echo "lintian:"; cat "$scratch/lintian.log"; fail=1; }

dpkg-deb -x "$deb" "$scratch/root"
share="$scratch/root/usr/share"
out=$(desktop-file-validate "$share/applications/$desktop_id.desktop" 2>&1) && [ -z "$out" ] ||
  { echo "desktop-file-validate: $out"; fail=1; }
out=$(appstreamcli validate --pedantic --no-net "$share/metainfo/$desktop_id.metainfo.xml" 2>&1) &&
  grep -qx '✔ Validation was successful.' <<<"$out" ||
  { echo "appstreamcli: $out"; fail=1; }
# groff's warnings, at the width a terminal commonly has.
out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$share/man/man1/vantrel.1.gz" 2>&1 >/dev/null) &&
  [ -z "$out" ] || { echo "man --warnings: $out"; fail=1; }

expect_library_loads "$scratch/root/usr/bin/vantrel" "$scratch/root/usr/lib/vantrel/libmpegdll.so" \
  "$scratch/run" || fail=1
exit $fail
