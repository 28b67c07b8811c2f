# The playback command on the real media-control player and the real MPEG
# player with the decoder library of mpegdll/, playing through the test's
# sound server; the dialog, status line and button states are recording
# stand-ins.
vantrel_add_test(playback_tests QT SOUND TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/playback_test.cpp ${CMAKE_CURRENT_SOURCE_DIR}/playback_support.h
  LIBS commands controls test_fixtures test_sound_output)
target_compile_definitions(playback_tests PRIVATE REAL_DLL_DIR="$<TARGET_FILE_DIR:mpegdll>")
add_dependencies(playback_tests mpegdll)
