# The guard that judges the 32-bit Windows test programs by what they printed (a shell test).
if(NOT WIN32)
  add_test(NAME gtest_printed_test
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/gtest_printed_test.sh ${CMAKE_SOURCE_DIR}/scripts/gtest-printed)
endif()
