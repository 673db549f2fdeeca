teshmar_add_gtest(NAME links_db_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ServerAddress_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConnString_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Statements_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkCheck_test.cpp
  LIBS teshmar_links_db teshmar_connstring_reader)
