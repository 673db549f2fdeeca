teshmar_add_gtest(NAME png_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PngWriter_test.cpp
  LIBS teshmar_png)
