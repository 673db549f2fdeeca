teshmar_add_gtest(NAME parallel_checks_test WINDOWS_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ParallelChecks_test.cpp
  LIBS teshmar_entrygrid_logic teshmar_ado psapi
  TIMEOUT 900)
teshmar_add_gtest(NAME link_history_win_test WINDOWS_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LinkHistoryWin_test.cpp
  LIBS teshmar_refresh)
