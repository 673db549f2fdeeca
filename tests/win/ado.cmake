teshmar_add_gtest(NAME ado_test WINDOWS_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AdoDatabase_test.cpp
  LIBS teshmar_ado teshmar_links_db psapi
  TIMEOUT 900)
