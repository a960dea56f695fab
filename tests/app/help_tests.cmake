# Tests of the built-in guide and the About box.
set(OMBRIX_APP_HELP_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/help_test.cpp
)
