# The step pages of a document window: column statistics, choose test,
# results with the status panel, the graph, and the selection dialogs.
set(OMBRIX_APP_STEP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/choose_test_step.cpp
  ${CMAKE_CURRENT_LIST_DIR}/choose_test_step.h
  ${CMAKE_CURRENT_LIST_DIR}/graph_step.cpp
  ${CMAKE_CURRENT_LIST_DIR}/graph_step.h
  ${CMAKE_CURRENT_LIST_DIR}/results_step.cpp
  ${CMAKE_CURRENT_LIST_DIR}/results_step.h
  ${CMAKE_CURRENT_LIST_DIR}/results_viewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/results_viewer.h
  ${CMAKE_CURRENT_LIST_DIR}/selection_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/selection_dialogs.h
  ${CMAKE_CURRENT_LIST_DIR}/statistics_step.cpp
  ${CMAKE_CURRENT_LIST_DIR}/statistics_step.h
  ${CMAKE_CURRENT_LIST_DIR}/status_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/status_panel.h
  ${CMAKE_CURRENT_LIST_DIR}/step_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/step_text.h
)
