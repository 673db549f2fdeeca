# The history of the links' ups and downs beside the program.
add_library(teshmar_history STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LinkHistory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkHistoryFile.cpp)
target_include_directories(teshmar_history PUBLIC ${CMAKE_SOURCE_DIR})
if(WIN32)
  target_link_libraries(teshmar_history PUBLIC teshmar_win)
endif()
