# `cpack -G DEB` in the build folder makes vantrel_<version>_<arch>.deb: the
# program, its private decoder library, the desktop entry and the icons under
# /usr, with the dependencies read from the binaries by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantrel")
set(CPACK_PACKAGE_CONTACT "Vantrel developers <vantrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Turns WAV files into GP3/GP4 game sound files (halving 44100 Hz data to 22050 Hz\n\
and backing the game file up once), decodes MP3 files to WAV and plays WAV and\n\
MP3 files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libout123 reaches the sound server only through its output modules, which
# the mpg123 package ships: without them nothing can be played.
set(CPACK_DEBIAN_PACKAGE_DEPENDS mpg123)
include(CPack)
