# The progress gauge on real widgets (offscreen platform).
find_package(Qt6 REQUIRED COMPONENTS Test)
vantrel_add_test(gauge_tests QT
  SOURCES gauge_barlength_test.cpp gauge_state_test.cpp gauge_paint_test.cpp gauge_picture_test.cpp
  LIBS controls Qt6::Test)
