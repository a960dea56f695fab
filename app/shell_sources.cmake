set(OMBRIX_APP_SHELL_SOURCES
  analysis_form.cpp
  analysis_form.h
  analysis_form_exchange.cpp
  asker.cpp
  asker.h
  data_exchange.cpp
  data_exchange.h
  data_grid_view.cpp
  data_grid_view.h
  file_association.cpp
  file_association.h
  format_step.cpp
  format_step.h
  grid_models.cpp
  grid_models.h
  main_form.cpp
  main_form.h
  ombrix.qrc
  notes_window.cpp
  notes_window.h
  shell_context.h
  shell_settings.cpp
  shell_settings.h
  single_instance.cpp
  single_instance.h
  two_by_two_page.cpp
  two_by_two_page.h
)

# The desktop entry, the data file type and the icon, for cmake --install. The program
# writes the same files for the user at start when they are missing (a build
# that was never installed).
include(GNUInstallDirs)
# The entry runs the installed program: its Exec is written at install time,
# so that --prefix (and not the build folder) decides it.
install(CODE "
  set(OMBRIX_INSTALLED_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ombrix\")
  configure_file(\"${CMAKE_CURRENT_LIST_DIR}/ombrix.desktop.in\" \"${CMAKE_CURRENT_BINARY_DIR}/installed/ombrix.desktop\" @ONLY)
  file(INSTALL \"${CMAKE_CURRENT_BINARY_DIR}/installed/ombrix.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
")
install(PROGRAMS $<TARGET_FILE:ombrix> DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/ombrix.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/ombrix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
