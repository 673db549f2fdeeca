# The scripted database: a stand-in for SQL Server that answers from a small text script and
# writes down every connection string and statement it receives, for end-to-end tests.
# How a provider reads a connection string back; the scripted server and the tests share it.
add_library(teshmar_connstring_reader STATIC ${CMAKE_CURRENT_LIST_DIR}/scripted_db/ConnStringParser.cpp)
target_include_directories(teshmar_connstring_reader PUBLIC ${CMAKE_SOURCE_DIR})

add_library(teshmar_scripted_db STATIC
  ${CMAKE_CURRENT_LIST_DIR}/scripted_db/DbScript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scripted_db/RecordFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scripted_db/ScriptedDatabase.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scripted_db/ScriptedSql.cpp)
if(WIN32)
  target_sources(teshmar_scripted_db PRIVATE ${CMAKE_CURRENT_LIST_DIR}/scripted_db/RecordFileWin.cpp)
else()
  target_sources(teshmar_scripted_db PRIVATE ${CMAKE_CURRENT_LIST_DIR}/scripted_db/RecordFilePosix.cpp)
endif()
target_include_directories(teshmar_scripted_db PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_scripted_db PUBLIC teshmar_settings teshmar_connstring_reader)

# The console built with it: TeshmarScripted.exe beside Teshmar.exe in the build tree. It is a
# test program and is never shipped.
if(WIN32)
  teshmar_add_console(NAME TeshmarScripted
    FACTORY ${CMAKE_CURRENT_LIST_DIR}/scripted_db/DatabaseFactoryScripted.cpp
    LIBS teshmar_scripted_db)
endif()
