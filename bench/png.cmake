teshmar_add_benchmark(NAME png_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PngWriter_bench.cpp
  LIBS teshmar_png)
