teshmar_add_gtest(NAME app_logic_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Startup_test.cpp ${CMAKE_CURRENT_LIST_DIR}/MainFormLogic_test.cpp
  LIBS teshmar_app_logic)
