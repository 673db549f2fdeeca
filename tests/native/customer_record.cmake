teshmar_add_gtest(NAME customer_record_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CustomerRecord_test.cpp
  LIBS teshmar_customer)
