# Connection strings, statement routines and link checks: platform-free, over the database interface.
add_library(teshmar_links_db STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ConnString.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServerAddress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Statements.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkCheck.cpp)
target_include_directories(teshmar_links_db PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_links_db PUBLIC teshmar_common)

# The database over ADO (Windows only).
if(WIN32)
  add_library(teshmar_ado STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AdoCom.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AdoDatabase.cpp)
  target_include_directories(teshmar_ado PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(teshmar_ado PUBLIC teshmar_win ole32 oleaut32 uuid)
endif()
