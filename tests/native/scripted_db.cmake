# The scripted database of the end-to-end console, with the real link check and customer record over it.
teshmar_add_gtest(NAME scripted_db_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScriptedDatabase_test.cpp
  LIBS teshmar_scripted_db teshmar_customer)
