# The window's own pictures: the application icon and the small stop button's glyph.
add_library(window_resources OBJECT window/window.qrc)
set_target_properties(window_resources PROPERTIES AUTORCC ON)
target_link_libraries(window_resources PRIVATE Qt6::Core)

install(FILES window/icon32.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME vantrel.png)
install(FILES window/icon16.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/16x16/apps RENAME vantrel.png)
install(FILES ${VANTREL_DESKTOP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
