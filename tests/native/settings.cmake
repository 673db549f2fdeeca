teshmar_add_gtest(NAME settings_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SettingsFile_test.cpp
  LIBS teshmar_settings)

teshmar_add_gtest(NAME entries_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/EntriesFile_test.cpp
  LIBS teshmar_settings)
if(TARGET entries_test)
  target_compile_definitions(entries_test PRIVATE TESHMAR_SAMPLES_DIR="${CMAKE_SOURCE_DIR}/samples")
endif()
