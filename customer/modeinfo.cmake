# The customer dialog: its work and the customer button's platform-free; its window Win32.
add_library(teshmar_modeinfo STATIC ${CMAKE_CURRENT_LIST_DIR}/ModeInfo.cpp ${CMAKE_CURRENT_LIST_DIR}/GuestEdit.cpp)
target_include_directories(teshmar_modeinfo PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_modeinfo PUBLIC teshmar_chinaarea teshmar_customer teshmar_entrygrid_logic teshmar_common)

if(WIN32)
  add_library(teshmar_modeinfo_view STATIC ${CMAKE_CURRENT_LIST_DIR}/ModeInfoForm.cpp)
  target_include_directories(teshmar_modeinfo_view PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(teshmar_modeinfo_view PUBLIC teshmar_modeinfo teshmar_win comctl32 gdi32 user32)
endif()
