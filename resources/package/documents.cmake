# Manual pages and changelogs are installed compressed, as Debian wants them:
# gzip -9n, so that the same source gives the same bytes (no name, no time).
find_program(VANTREL_GZIP gzip REQUIRED)
set(docs_dir ${CMAKE_CURRENT_BINARY_DIR}/package)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/package/changelog.in ${docs_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${docs_dir}/changelog.gz
  COMMAND ${VANTREL_GZIP} -9n -c ${docs_dir}/changelog > ${docs_dir}/changelog.gz
  DEPENDS ${docs_dir}/changelog VERBATIM)
add_custom_command(OUTPUT ${docs_dir}/vantrel.1.gz
  COMMAND ${VANTREL_GZIP} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/package/vantrel.1 > ${docs_dir}/vantrel.1.gz
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/package/vantrel.1 VERBATIM)
add_custom_target(compressed_documents ALL DEPENDS ${docs_dir}/changelog.gz ${docs_dir}/vantrel.1.gz)

install(FILES ${docs_dir}/vantrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/${VANTREL_DESKTOP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/package/vantrel.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vantrel)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/package/copyright ${docs_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantrel)
