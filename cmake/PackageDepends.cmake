# Read by cpack before it makes a package: the Debian package depends on the
# libraries its binaries link, as dpkg-shlibdeps finds them, and on
# CPACK_VANTREL_DEPENDS.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
find_program(VANTREL_DPKG_SHLIBDEPS dpkg-shlibdeps REQUIRED)
# dpkg-shlibdeps wants a source package around it; an empty control file will do.
set(work "${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/shlibdeps")
file(MAKE_DIRECTORY "${work}/debian")
file(TOUCH "${work}/debian/control")
execute_process(COMMAND "${VANTREL_DPKG_SHLIBDEPS}" -O ${CPACK_VANTREL_BINARIES}
                WORKING_DIRECTORY "${work}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT output MATCHES "shlibs:Depends=([^\n]*)")
  message(FATAL_ERROR "dpkg-shlibdeps failed on ${CPACK_VANTREL_BINARIES}:\n${errors}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_VANTREL_DEPENDS}, ${CMAKE_MATCH_1}")
