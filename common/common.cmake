add_library(teshmar_common STATIC TextUtil.cpp Cp936.cpp)
target_include_directories(teshmar_common PUBLIC ${CMAKE_SOURCE_DIR})
