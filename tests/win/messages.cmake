# The message window, the progress window and the shared Win32 controls, run under Wine.
if(WIN32)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/screenshots)
  teshmar_add_gtest(NAME message_windows_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormMsg_test.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmProgress_test.cpp
    LIBS teshmar_windows_msg teshmar_png
    TIMEOUT 300)
  target_compile_definitions(message_windows_test PRIVATE TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")

  teshmar_add_gtest(NAME win_controls_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/WinControls_test.cpp
    LIBS teshmar_win teshmar_png
    TIMEOUT 300)
  if(TESHMAR_TESTS_RUN)
    # Both read the screen and move the mouse: never beside another test that does.
    set_tests_properties(message_windows_test win_controls_test PROPERTIES RESOURCE_LOCK wine_desktop)
  endif()
endif()

# The figure for ShowProgressWindow's time, with and without the opening outline (run by hand).
if(WIN32)
  add_executable(progress_timing ${CMAKE_CURRENT_LIST_DIR}/ProgressTiming.cpp)
  target_link_libraries(progress_timing PRIVATE teshmar_windows_msg)
endif()
