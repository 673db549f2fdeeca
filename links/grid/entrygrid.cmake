# The entry grid RgInfo: the string grid's model and the painting decisions are platform-free;
# the grid window itself is Win32.
add_library(teshmar_entrygrid STATIC
  ${CMAKE_CURRENT_LIST_DIR}/StringGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryGridPaint.cpp)
target_include_directories(teshmar_entrygrid PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_entrygrid PUBLIC teshmar_common)

if(WIN32)
  add_library(teshmar_rgInfo_view STATIC ${CMAKE_CURRENT_LIST_DIR}/RgInfoView.cpp)
  target_include_directories(teshmar_rgInfo_view PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(teshmar_rgInfo_view PUBLIC teshmar_entrygrid teshmar_win comctl32 gdi32 user32)
endif()
