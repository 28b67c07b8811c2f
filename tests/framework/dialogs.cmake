# The message dialog, the file dialogs and the folder picker, driven as real
# modal windows on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Test)

vantrel_add_test(framework_dialogs_test QT TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageDialogTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/FileDialogsTest.cpp
  LIBS framework Qt6::Test)

# The dialogs' shared rules alone (the message dialog's layout on a
# fixed-width fake font, the file dialogs' filter and names): no toolkit linked.
vantrel_add_test(framework_dialog_rules_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageDialogLayoutTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/FileDialogRulesTest.cpp
  LIBS framework_rtl)
