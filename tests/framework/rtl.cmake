# The run-time file layer: checked file variables, unchecked services, the
# questions asked about a file before it is touched, the optical-disc test.
vantrel_add_test(rtl_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CheckedFileTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileChecksTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileServicesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpticalDiscTest.cpp
  LIBS framework_rtl)
target_link_libraries(rtl_tests PRIVATE test_fixtures)
