# The real Teshmar.exe under Wine, driven from another process.
if(WIN32)
  teshmar_add_gtest(NAME console_e2e_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/Console_test.cpp
    LIBS teshmar_driver teshmar_win advapi32
    LABELS e2e
    TIMEOUT 600)
  add_dependencies(console_e2e_test Teshmar)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/screenshots)
  target_compile_definitions(console_e2e_test PRIVATE
    TESHMAR_EXE="$<TARGET_FILE:Teshmar>"
    TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  if(TESHMAR_TESTS_RUN)
    # One console per session: these tests share the named mutex, so they never run beside each other.
    set_tests_properties(console_e2e_test PROPERTIES RUN_SERIAL ON)
  endif()
endif()
