# The built-in guide (its pages and example data sets are resources) and the
# About box.
set(OMBRIX_APP_HELP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/help_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_window.h
  ${CMAKE_CURRENT_LIST_DIR}/help/ombrix_help.qrc
)

include(GNUInstallDirs)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
