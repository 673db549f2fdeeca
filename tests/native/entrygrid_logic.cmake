teshmar_add_gtest(NAME entrygrid_logic_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/EntryGridLogic_test.cpp
  LIBS teshmar_entrygrid_logic teshmar_settings)
teshmar_add_gtest(NAME periodic_refresh_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PeriodicRefresh_test.cpp
  LIBS teshmar_entrygrid_logic teshmar_settings)
