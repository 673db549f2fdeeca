# The settings file and the list of entries beside the program: parser and writer of our own,
# whole-file replacement.
add_library(teshmar_settings STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IniDocument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IniIndex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntriesFile.cpp)
if(WIN32)
  target_sources(teshmar_settings PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FileOpsWin.cpp)
  target_link_libraries(teshmar_settings PUBLIC teshmar_win)
else()
  target_sources(teshmar_settings PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FileOpsPosix.cpp)
endif()
target_include_directories(teshmar_settings PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_settings PUBLIC teshmar_common)
