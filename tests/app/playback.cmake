# The playback command on the real media-control player and the real MPEG
# player with the decoder library of mpegdll/, playing through the test's
# sound server; the dialog, status line and button states are recording
# stand-ins.
vantrel_add_test(playback_tests QT SOUND TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/playback_test.cpp ${CMAKE_CURRENT_SOURCE_DIR}/playback_support.h
  LIBS commands controls test_fixtures ${CMAKE_DL_LIBS})
pkg_get_variable(PLAYBACK_OUT123_LIBDIR libout123 libdir)
target_compile_definitions(playback_tests PRIVATE REAL_DLL_DIR="$<TARGET_FILE_DIR:mpegdll>"
                                                  OUT123_MODULE_DIR="${PLAYBACK_OUT123_LIBDIR}/mpg123")
add_dependencies(playback_tests mpegdll)
