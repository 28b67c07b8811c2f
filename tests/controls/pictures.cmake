# The controls' shared pictures without any toolkit.
vantrel_add_test(control_pictures_tests
  SOURCES pictures_test.cpp
  LIBS control_pictures)
