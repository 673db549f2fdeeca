# The grid window RgInfo, run under Wine: painting, keys, clipboard, tooltip, mouse.
if(WIN32)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/screenshots)
  teshmar_add_gtest(NAME rginfo_view_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/RgInfoView_test.cpp
    LIBS teshmar_rgInfo_view teshmar_png
    TIMEOUT 300)
  target_compile_definitions(rginfo_view_test PRIVATE TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  if(TESHMAR_TESTS_RUN)
    # Reads the screen and the clipboard: never beside another test that does.
    set_tests_properties(rginfo_view_test PROPERTIES RESOURCE_LOCK wine_desktop)
  endif()
endif()

# The figure for the once-a-second repaint (run by hand).
if(WIN32)
  add_executable(rginfo_paint_timing ${CMAKE_CURRENT_LIST_DIR}/RgInfoPaintTiming.cpp)
  target_link_libraries(rginfo_paint_timing PRIVATE teshmar_rgInfo_view)
endif()
