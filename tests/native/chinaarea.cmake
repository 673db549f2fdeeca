teshmar_add_gtest(NAME chinaarea_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChinaArea_test.cpp
  LIBS teshmar_chinaarea teshmar_common)
