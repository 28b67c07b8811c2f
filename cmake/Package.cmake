# `cpack -G DEB` in the build folder makes vantrel_<version>_<arch>.deb: the
# program, its private decoder library, the desktop entry, the icons, the
# manual page, the AppStream metadata and the documents Debian asks for, under
# /usr, with the dependencies read from the binaries by dpkg-shlibdeps.
# Licence: GPL-3.0-or-later (LICENSE).
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantrel")
set(CPACK_PACKAGE_CONTACT "${VANTREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
# Each line within 80 columns, as Debian's tools show it.
set(CPACK_PACKAGE_DESCRIPTION
    "Turns WAV files into GP3/GP4 game sound files (halving 44100 Hz data to\n\
22050 Hz and backing the game file up once), decodes MP3 files to WAV and\n\
plays WAV and MP3 files. From the command line the same commands convert\n\
whole sound packs, resample any rate to 22050 Hz and restore backups.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The decoder library is private (a folder of its own, loaded by the program
# alone), so the loader's cache has nothing to learn from it. CPack adds an
# ldconfig call to postinst and postrm for any library under /usr/lib when it
# scans the files for dpkg-shlibdeps; the scan is therefore left off, and
# PackageDepends.cmake runs dpkg-shlibdeps on the built binaries instead.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# libout123 reaches the sound server only through its output modules, which
# the mpg123 package ships: without them nothing can be played.
set(CPACK_VANTREL_DEPENDS mpg123)
set(CPACK_VANTREL_BINARIES "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/vantrel"
                           "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/libmpegdll.so")
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/PackageDepends.cmake")
include(CPack)
