# A chain's worth of entries on real files: fill, refresh and periodic refreshes, natively.
if(NOT WIN32)
  add_executable(chain_scale_bench ${CMAKE_CURRENT_LIST_DIR}/ChainScale_bench.cpp)
  target_link_libraries(chain_scale_bench PRIVATE teshmar_entrygrid_logic teshmar_settings)
  target_include_directories(chain_scale_bench PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
endif()
