# The message dialog, the file dialogs and the folder picker, driven as real
# modal windows on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Test)

vantrel_add_test(framework_dialogs_test QT TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageDialogTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/FileDialogsTest.cpp
  LIBS framework Qt6::Test)

# The message dialog's layout rules alone, on a fixed-width fake font: no
# toolkit linked.
vantrel_add_test(framework_layout_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageDialogLayoutTest.cpp
  LIBS framework_rtl)
