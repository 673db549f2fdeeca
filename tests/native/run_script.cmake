# The run script's screenshot rotation (a shell test; the script itself needs Wine to run).
if(NOT WIN32)
  add_test(NAME run_script_test COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_script_test.sh ${CMAKE_SOURCE_DIR}/run.sh)
endif()
