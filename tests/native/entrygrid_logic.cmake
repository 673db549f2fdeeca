teshmar_add_gtest(NAME entrygrid_logic_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/EntryGridLogic_test.cpp
  LIBS teshmar_entrygrid_logic teshmar_settings)
