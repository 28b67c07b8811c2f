# The conversion command and the halving, on real files in a temporary folder,
# with recording stand-ins for the window's dialogs, status line and gauge.
vantrel_add_test(convert_tests
  SOURCES convert_support.cpp convert_halving_test.cpp convert_command_test.cpp convert_command_shared_test.cpp convert_settings_test.cpp
          convert_wav_layout_test.cpp convert_encodings_test.cpp
          convert_resample_test.cpp convert_restore_test.cpp
  LIBS convert)
target_link_libraries(convert_tests PRIVATE test_fixtures)
