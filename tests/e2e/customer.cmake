# The customer button end to end: the real Teshmar.exe (no provider here) and the console built with a
# scripted database.
if(WIN32)
  teshmar_add_gtest(NAME customer_e2e_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/Customer_test.cpp
    LIBS teshmar_driver teshmar_win advapi32
    LABELS e2e
    TIMEOUT 900)
  add_dependencies(customer_e2e_test Teshmar TeshmarScripted)
  target_compile_definitions(customer_e2e_test PRIVATE
    TESHMAR_EXE="$<TARGET_FILE:Teshmar>"
    TESHMAR_SCRIPTED_EXE="$<TARGET_FILE:TeshmarScripted>"
    TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  if(TESHMAR_TESTS_RUN)
    # One console per session: the tests that start consoles never run beside each other.
    set_tests_properties(customer_e2e_test PROPERTIES RUN_SERIAL ON)
  endif()
endif()
