# The settings file reader and writer, and where the program's pieces lie.
vantrel_add_test(settings_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/IniFilesTest.cpp ${CMAKE_CURRENT_LIST_DIR}/IniTextTest.cpp ${CMAKE_CURRENT_LIST_DIR}/LocationsTest.cpp
  LIBS settings)
target_include_directories(settings_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../framework)
target_link_libraries(settings_tests PRIVATE test_fixtures)
