teshmar_add_gtest(NAME settings_win_test WINDOWS_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileOpsWin_test.cpp
  LIBS teshmar_settings teshmar_win)
