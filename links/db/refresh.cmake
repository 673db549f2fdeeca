# Provider work on workers while the user-interface thread keeps answering: a refresh's checks
# side by side, and the dialogs' and the main window's calls.
add_library(teshmar_refresh STATIC ${CMAKE_CURRENT_LIST_DIR}/ParallelChecks.cpp)
target_include_directories(teshmar_refresh PUBLIC ${CMAKE_SOURCE_DIR})
find_package(Threads REQUIRED)
target_link_libraries(teshmar_refresh PUBLIC teshmar_history Threads::Threads)
if(WIN32)
  target_sources(teshmar_refresh PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ParallelChecksWin.cpp)
  target_link_libraries(teshmar_refresh PUBLIC teshmar_win ole32 user32)
endif()
