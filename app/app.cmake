# Platform-free behaviour of start-up and the main window.
add_library(teshmar_app_logic STATIC Startup.cpp MainFormLogic.cpp)
target_include_directories(teshmar_app_logic PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_app_logic PUBLIC teshmar_common)
