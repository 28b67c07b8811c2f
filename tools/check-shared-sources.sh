#!/bin/bash
# Compiles the shared files (no Qt, no POSIX, no Linux-library header) with
# the Windows cross compiler and only the program's own include folders, so a
# platform include slipping into a rule file fails here and not in the Windows
# build. A file is shared by its name: every source and header of the
# program's folders except the faces, Name_posix, Name_win, Name_qt and those
# named after a Linux library (Name_sndfile, Name_soxr, Name_mpg123,
# Name_out123), the Linux media service mci/ (a Linux face as a whole but for
# its names, which the shared player's device compiles against here; the
# Windows build has the system's own, controls/win32/MciNames.h), and the
# toolkit files listed below, which still wait for their rules to move out.
set -eu
cd "$(dirname "$0")/.."
CXX=${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
TOOLKIT_FILES="
app/Unit1.h app/Unit1.cpp app/main.cpp
framework/Application.h framework/Application.cpp framework/LastResort.h framework/LastResort.cpp
framework/MessageDialog.h framework/FileDialogs.h
framework/PickDirectory.h framework/PickDirectory.cpp framework/Messages.h framework/Messages.cpp
controls/Gauges.h controls/Gauges.cpp controls/MPlayer.h controls/MPlayer.cpp controls/MPlayerButtonRow.cpp
framework/rtl/OpticalDisc.h
"
SHARED=$(ls app/*.h app/*.cpp app/settings/*.h app/settings/*.cpp app/commands/*.h app/commands/*.cpp app/convert/*.h app/convert/*.cpp app/cli/*.h app/cli/*.cpp framework/*.h framework/rtl/*.h \
  framework/*.cpp framework/rtl/*.cpp controls/*.h controls/*.cpp mpegplay/*.h mpegplay/*.cpp mpegdll/*.h mpegdll/*.cpp include/Pcm16.h \
  include/MciService.h mci/MciNames.h |
  grep -vE '_(posix|win|qt|sndfile|soxr|mpg123|out123)\.(h|cpp)$' |
  grep -vxF -f <(printf '%s\n' $TOOLKIT_FILES) || true)
FLAGS="-std=c++17 -fsyntax-only -Wall -Wextra -Werror -DVANTREL_VERSION=\"0\" -Iapp -Iapp/settings -Iapp/commands -Iapp/convert -Iapp/cli
  -Iframework -Iframework/rtl -Icontrols -Impegplay -Impegdll -Imci -Iinclude"
status=0
for f in $SHARED; do
  # framework/rtl/Platform.h is the one place that may ask (the path delimiter).
  if [ "$f" != framework/rtl/Platform.h ] && grep -n '_WIN32' "$f"; then
    echo "$f: a shared file has no Windows-only part" >&2
    status=1
  fi
  # The Windows compiler brings its own unistd.h and sys/stat.h, so those
  # POSIX headers are caught by name.
  if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(unistd|fcntl|pwd|dirent|poll|dlfcn|pthread|termios|sys/|Q|mpg123|out123|sndfile)' "$f"; then
    echo "$f: a shared file includes a POSIX, Qt or Linux-library header" >&2
    status=1
  fi
  # Nor a Windows one: the cross compiler would take it without a word.
  if grep -niE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](windows|mmsystem|mmreg|msacm|winbase|winnt|Win32_win)\.h' "$f"; then
    echo "$f: a shared file includes a Windows header" >&2
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
