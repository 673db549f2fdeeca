teshmar_add_gtest(NAME modeinfo_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ModeInfo_test.cpp ${CMAKE_CURRENT_LIST_DIR}/GuestEdit_test.cpp
  LIBS teshmar_modeinfo)
