# A chain's worth of entries end to end: 9999 entries shown, scrolled, copied and blinking.
if(WIN32)
  teshmar_add_gtest(NAME chainscale_e2e_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChainScale_test.cpp
    LIBS teshmar_driver teshmar_win advapi32
    LABELS e2e
    TIMEOUT 600)
  add_dependencies(chainscale_e2e_test TeshmarScripted)
  target_compile_definitions(chainscale_e2e_test PRIVATE
    TESHMAR_EXE="$<TARGET_FILE:Teshmar>"
    TESHMAR_SCRIPTED_EXE="$<TARGET_FILE:TeshmarScripted>"
    TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  if(TESHMAR_TESTS_RUN)
    set_tests_properties(chainscale_e2e_test PROPERTIES RUN_SERIAL ON)
  endif()
endif()
