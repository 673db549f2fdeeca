# The scripted database of the end-to-end console, with the real link check and customer record over it.
teshmar_add_gtest(NAME scripted_db_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScriptedDatabase_test.cpp
  LIBS teshmar_scripted_db teshmar_customer)
# The test reads the example of the script format from the README; under Wine through the Z: drive.
if(WIN32)
  set(_teshmar_scripted_readme "Z:${CMAKE_SOURCE_DIR}/tools/scripted_db/README.md")
else()
  set(_teshmar_scripted_readme "${CMAKE_SOURCE_DIR}/tools/scripted_db/README.md")
endif()
target_compile_definitions(scripted_db_test PRIVATE TESHMAR_SCRIPTED_README="${_teshmar_scripted_readme}")
