teshmar_add_gtest(NAME dblink_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DBLink_test.cpp
  LIBS teshmar_dblink)
