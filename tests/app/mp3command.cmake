# "Convert Mp3 as Wav" run to its end: the real player loading the real
# decoder library on MP3s that the tests make with sox and lame, a real gauge,
# and recording stand-ins for the dialogs, status line and buttons. The
# library must never hang on bad input: the timeout turns a hang into a
# failure with a trace.
vantrel_add_test(mp3command_tests QT TIMEOUT 120
  SOURCES convert_support.cpp mp3command_test.cpp
  LIBS commands controls mpegplay test_fixtures)
target_compile_definitions(mp3command_tests PRIVATE REAL_DLL_DIR="$<TARGET_FILE_DIR:mpegdll>"
                                                    TEST_HOOKS_DLL_DIR="$<TARGET_FILE_DIR:mpegdll_test_hooks>")
add_dependencies(mp3command_tests mpegdll mpegdll_test_hooks)
