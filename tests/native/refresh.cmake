teshmar_add_gtest(NAME link_history_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LinkHistory_test.cpp
  LIBS teshmar_refresh)
teshmar_add_gtest(NAME parallel_checks_native_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ParallelChecks_test.cpp
  LIBS teshmar_refresh teshmar_links_db)
