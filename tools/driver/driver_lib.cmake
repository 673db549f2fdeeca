# The end-to-end driver (Windows only): a library for the test programs and a command-line tool.
add_library(teshmar_driver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DriverError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/E2eSandbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileBytes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Screenshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrayIcon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowFind.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowText.cpp)
target_include_directories(teshmar_driver PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(teshmar_driver PUBLIC teshmar_win teshmar_png shell32 user32 gdi32)

add_executable(teshmar-driver ${CMAKE_CURRENT_LIST_DIR}/DriverCli.cpp)
target_link_libraries(teshmar-driver PRIVATE teshmar_driver)
