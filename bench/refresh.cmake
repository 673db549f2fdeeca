teshmar_add_benchmark(NAME refresh_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Refresh_bench.cpp
  LIBS teshmar_entrygrid_logic)
if(TARGET refresh_bench)
  target_include_directories(refresh_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
endif()
