teshmar_add_gtest(NAME settings_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SettingsFile_test.cpp
  LIBS teshmar_settings)
