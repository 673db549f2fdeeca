# Connection strings, statement routines and link checks: platform-free, over the database interface.
add_library(teshmar_links_db STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ConnString.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServerAddress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Statements.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkCheck.cpp)
target_include_directories(teshmar_links_db PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_links_db PUBLIC teshmar_common)
