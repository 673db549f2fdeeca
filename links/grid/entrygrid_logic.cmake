# The entry grid's work: the list in the grid, link states, refresh, warning, the link dialog's re-check.
add_library(teshmar_entrygrid_logic STATIC ${CMAKE_CURRENT_LIST_DIR}/EntryGridLogic.cpp)
target_include_directories(teshmar_entrygrid_logic PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_entrygrid_logic PUBLIC teshmar_links_db teshmar_entrygrid teshmar_refresh)
