# Our own PNG encoder (stored deflate blocks), for the screenshots of the end-to-end tests.
add_library(teshmar_png STATIC ${CMAKE_CURRENT_LIST_DIR}/PngWriter.cpp)
target_include_directories(teshmar_png PUBLIC ${CMAKE_SOURCE_DIR})
