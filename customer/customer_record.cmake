# The customer address format and the customer record in a store database's table Base.
add_library(teshmar_customer STATIC ${CMAKE_CURRENT_LIST_DIR}/CustomerRecord.cpp)
target_include_directories(teshmar_customer PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_customer PUBLIC teshmar_links_db)
