find_package(Qt6 REQUIRED COMPONENTS Test)
vantrel_add_test(framework_application_tests QT
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/application_test.cpp
  LIBS framework Qt6::Test)
