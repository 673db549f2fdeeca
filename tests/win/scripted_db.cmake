# The console built with the scripted database, under Wine, driven from another process.
if(WIN32)
  teshmar_add_gtest(NAME scripted_console_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScriptedConsole_test.cpp
    LIBS teshmar_driver teshmar_win advapi32
    LABELS e2e
    TIMEOUT 600)
  add_dependencies(scripted_console_test TeshmarScripted)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/screenshots)
  target_compile_definitions(scripted_console_test PRIVATE
    TESHMAR_EXE="$<TARGET_FILE:TeshmarScripted>"
    TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  if(TESHMAR_TESTS_RUN)
    # One console per session (the named mutex), and the screen is read: never beside another such test.
    set_tests_properties(scripted_console_test PROPERTIES RUN_SERIAL ON RESOURCE_LOCK wine_desktop)
  endif()
endif()
