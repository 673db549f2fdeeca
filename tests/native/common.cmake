teshmar_add_gtest(NAME common_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TextUtil_test.cpp ${CMAKE_CURRENT_LIST_DIR}/Cp936_test.cpp
  LIBS teshmar_common)
