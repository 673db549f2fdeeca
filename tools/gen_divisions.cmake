# The generator of customer/ChinaAreaData.cpp; a build-time tool, native only.
if(NOT WIN32)
  add_library(teshmar_gen_divisions STATIC ${CMAKE_CURRENT_LIST_DIR}/gen_divisions/DivisionSource.cpp)
  target_include_directories(teshmar_gen_divisions PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(teshmar_gen_divisions PUBLIC teshmar_common)
  add_executable(gen_divisions ${CMAKE_CURRENT_LIST_DIR}/gen_divisions/main.cpp)
  target_link_libraries(gen_divisions PRIVATE teshmar_gen_divisions)
endif()
