# The customer dialog under Wine.
if(WIN32)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/screenshots)
  teshmar_add_gtest(NAME modeinfo_win_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ModeInfo_test.cpp
    LIBS teshmar_modeinfo_view teshmar_console teshmar_png
    TIMEOUT 300)
  target_compile_definitions(modeinfo_win_test PRIVATE TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  if(TESHMAR_TESTS_RUN)
    set_tests_properties(modeinfo_win_test PROPERTIES RESOURCE_LOCK wine_desktop)
  endif()
endif()
