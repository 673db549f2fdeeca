# A refresh's checks side by side, end to end with the scripted console.
if(WIN32)
  teshmar_add_gtest(NAME refresh_e2e_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ParallelRefresh_test.cpp
    LIBS teshmar_driver teshmar_win advapi32
    LABELS e2e
    TIMEOUT 600)
  add_dependencies(refresh_e2e_test Teshmar TeshmarScripted)
  target_compile_definitions(refresh_e2e_test PRIVATE
    TESHMAR_EXE="$<TARGET_FILE:Teshmar>"
    TESHMAR_SCRIPTED_EXE="$<TARGET_FILE:TeshmarScripted>"
    TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  if(TESHMAR_TESTS_RUN)
    set_tests_properties(refresh_e2e_test PROPERTIES RUN_SERIAL ON)
  endif()
endif()

# A console that keeps answering while its checks wait for slow servers.
if(WIN32)
  teshmar_add_gtest(NAME answering_e2e_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/Answering_test.cpp
    LIBS teshmar_driver teshmar_win advapi32
    LABELS e2e
    TIMEOUT 600)
  add_dependencies(answering_e2e_test TeshmarScripted)
  target_compile_definitions(answering_e2e_test PRIVATE
    TESHMAR_EXE="$<TARGET_FILE:Teshmar>"
    TESHMAR_SCRIPTED_EXE="$<TARGET_FILE:TeshmarScripted>"
    TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  if(TESHMAR_TESTS_RUN)
    set_tests_properties(answering_e2e_test PROPERTIES RUN_SERIAL ON)
  endif()
endif()
