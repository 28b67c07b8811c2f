# Where the pieces of the program lie, in the build tree and once installed.
#
# Build tree: the program, the test programs and the decoder library share
# build/bin, and the executables find the library beside themselves
# (RUNPATH $ORIGIN).
#
# Installed: the program in <bindir>, the decoder library in a private folder
# <libdir>/vantrel (it exports plain names such as "init" and "Open" and has
# no version, so it stays out of the public library folder). The program
# finds it there by a RUNPATH relative to itself, so every prefix and DESTDIR
# gives a working program.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Only the RUNPATH entries set here: no link folders of dependencies.
set(CMAKE_INSTALL_RPATH_USE_LINK_PATH OFF)

set(VANTREL_PRIVATE_LIBDIR "${CMAKE_INSTALL_LIBDIR}/vantrel")
file(RELATIVE_PATH VANTREL_PRIVATE_LIBDIR_FROM_BINDIR "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_LIBDIR}/vantrel")
# The installed folder first, then the program's own folder: the build tree
# finds the library beside the executable. The program carries the same
# RUNPATH in both trees, because rewriting it on install needs the build
# tree's RUNPATH padded with empty entries, and an empty entry makes the
# loader search the working folder.
set(VANTREL_RUNPATH "\$ORIGIN/${VANTREL_PRIVATE_LIBDIR_FROM_BINDIR}:\$ORIGIN")

# Test programs find the decoder library beside themselves.
set(CMAKE_BUILD_RPATH "\$ORIGIN")
