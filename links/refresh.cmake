# A refresh's checks side by side, and the history of the links' ups and downs.
add_library(teshmar_refresh STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ParallelChecks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkHistory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkHistoryFile.cpp)
target_include_directories(teshmar_refresh PUBLIC ${CMAKE_SOURCE_DIR})
find_package(Threads REQUIRED)
target_link_libraries(teshmar_refresh PUBLIC Threads::Threads)
if(WIN32)
  target_sources(teshmar_refresh PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ParallelChecksWin.cpp)
  target_link_libraries(teshmar_refresh PUBLIC teshmar_win ole32 user32)
endif()
