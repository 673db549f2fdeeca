teshmar_add_gtest(NAME progress_paint_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ProgressPaint_test.cpp
  LIBS teshmar_progress_logic)
