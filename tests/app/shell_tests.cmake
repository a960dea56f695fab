set(OMBRIX_APP_SHELL_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/data_entry_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_exchange_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/documents_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editing_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_integration_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_test_support.h
)
