# The built-in division table and its two lookups; platform-free.
add_library(teshmar_chinaarea STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ChinaArea.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChinaAreaData.cpp)
target_include_directories(teshmar_chinaarea PUBLIC ${CMAKE_SOURCE_DIR})
