teshmar_add_gtest(NAME entrygrid_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/StringGrid_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EntryGridPaint_test.cpp
  LIBS teshmar_entrygrid)
