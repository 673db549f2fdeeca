teshmar_add_benchmark(NAME chinaarea_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChinaArea_bench.cpp
  LIBS teshmar_chinaarea)
