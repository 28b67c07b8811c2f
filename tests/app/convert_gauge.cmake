# The halving on the real gauge (offscreen platform): the percentages painted.
find_package(Qt6 REQUIRED COMPONENTS Test)
vantrel_add_test(convert_gauge_tests QT
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/convert_support.cpp ${CMAKE_CURRENT_SOURCE_DIR}/convert_gauge_test.cpp
  LIBS convert controls test_fixtures Qt6::Test)
