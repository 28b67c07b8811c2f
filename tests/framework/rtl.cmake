# The run-time file layer: checked file variables, unchecked services, the
# optical-disc test.
vantrel_add_test(rtl_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CheckedFileTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileServicesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpticalDiscTest.cpp
  LIBS framework_rtl)
target_link_libraries(rtl_tests PRIVATE test_fixtures)
