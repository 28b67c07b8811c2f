find_package(Qt6 REQUIRED COMPONENTS Test)
vantrel_add_test(window_tests QT
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/window_test.cpp
  LIBS mainwindow Qt6::Test)
target_compile_definitions(window_tests PRIVATE VANTREL_RESOURCES_DIR="${PROJECT_SOURCE_DIR}/resources")
