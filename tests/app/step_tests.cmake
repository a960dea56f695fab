# Tests of the step pages (statistics, choose test, results, progress, graph).
set(OMBRIX_APP_STEP_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/choose_test_step_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/graph_step_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/results_step_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/statistics_step_test.cpp
)
