# Win32 helpers of our own: text at the API boundary, fonts, flat buttons.
add_library(teshmar_win STATIC Wide.cpp)
target_include_directories(teshmar_win PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_win PUBLIC teshmar_common)
