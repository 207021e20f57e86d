# The programs and the help pages. The desktop entry, metainfo and icons are installed by
# desktop/CMakeLists.txt, the manual pages by man/CMakeLists.txt.
install(TARGETS duvara duvara-subs RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(DUVARA_INSTALL_HELPDIR ${CMAKE_INSTALL_DATADIR}/duvara/help)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${DUVARA_INSTALL_HELPDIR})

# The player looks for its help in bin/help beside itself and in ../share/duvara/help from its
# own folder (shell/help.cpp); other folder choices would install pages it never finds.
file(RELATIVE_PATH DUVARA_HELP_FROM_BIN
     /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${DUVARA_INSTALL_HELPDIR})
if(NOT DUVARA_HELP_FROM_BIN STREQUAL "../share/duvara/help")
  message(WARNING "With CMAKE_INSTALL_BINDIR=${CMAKE_INSTALL_BINDIR} and "
                  "CMAKE_INSTALL_DATADIR=${CMAKE_INSTALL_DATADIR} the installed player does not "
                  "find its help pages (it looks in ../share/duvara/help from its own folder)")
endif()
