#!/bin/sh
# Compiles the shared files (no Qt, no POSIX, no Linux-library header) with
# the Windows cross compiler and only the program's own include folders, so a
# platform include slipping into a rule file fails here and not in the Windows
# build. The list below lists the shared files; it grows as rules move out of
# the face files.
set -eu
cd "$(dirname "$0")/.."
CXX=${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
SHARED="
app/IniText.h
app/IniText.cpp
app/Locations.h
app/Locations.cpp
framework/PathUtils.h
app/SettingNames.h
controls/PixelBuffer.h
controls/PixelBuffer.cpp
controls/GaugePicture.h
controls/GaugePicture.cpp
controls/ButtonRowPicture.h
controls/ButtonRowPicture.cpp
"
FLAGS="-DVANTREL_PRIVATE_LIBDIR_FROM_BINDIR=\"../lib\" -std=c++17 -fsyntax-only -Wall -Wextra -Werror -Iapp -Iframework -Icontrols"
status=0
for f in $SHARED; do
  if grep -n '_WIN32' "$f"; then
    echo "$f: a shared file has no Windows-only part" >&2
    status=1
  fi
  # The Windows compiler brings its own unistd.h and sys/stat.h, so those
  # POSIX headers are caught by name.
  if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(unistd|fcntl|pwd|dirent|poll|dlfcn|pthread|termios|sys/|Q|mpg123|out123|sndfile)' "$f"; then
    echo "$f: a shared file includes a POSIX, Qt or Linux-library header" >&2
    status=1
  fi
  # A header goes in through -include: compiled as the main file, its
  # "#pragma once" would only draw a warning.
  case "$f" in
    *.h) echo | "$CXX" $FLAGS -include "$f" -x c++ - || status=1 ;;
    *) "$CXX" $FLAGS -x c++ "$f" || status=1 ;;
  esac
done
exit $status
