# The link dialog: its logic platform-free over the database, settings and message-box
# interfaces; its window Win32.
add_library(teshmar_dblink STATIC ${CMAKE_CURRENT_LIST_DIR}/DBLink.cpp)
target_include_directories(teshmar_dblink PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_dblink PUBLIC teshmar_links_db teshmar_refresh teshmar_common)

if(WIN32)
  add_library(teshmar_dblink_view STATIC ${CMAKE_CURRENT_LIST_DIR}/DBLinkForm.cpp)
  target_include_directories(teshmar_dblink_view PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(teshmar_dblink_view PUBLIC teshmar_dblink teshmar_win comctl32 gdi32 user32)
endif()
