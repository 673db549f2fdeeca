# The end-to-end driver's own tests, against a small target window of their own.
if(WIN32)
  add_executable(driver_target WIN32 ${CMAKE_CURRENT_LIST_DIR}/driver_target.cpp)
  target_link_libraries(driver_target PRIVATE shell32 user32 gdi32)

  teshmar_add_gtest(NAME driver_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_test.cpp ${CMAKE_CURRENT_LIST_DIR}/driver_cli_test.cpp
    LIBS teshmar_driver
    LABELS e2e
    TIMEOUT 300)
  add_dependencies(driver_test driver_target teshmar-driver)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/screenshots)
  # Unix paths; the tests turn them into Wine paths (Z: drive) themselves.
  target_compile_definitions(driver_test PRIVATE
    TESHMAR_DRIVER_TARGET="$<TARGET_FILE:driver_target>"
    TESHMAR_DRIVER_CLI="$<TARGET_FILE:teshmar-driver>"
    TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
endif()

# Windows on the one Wine desktop would cover each other's screenshots: tests that show
# windows take this lock so they run one at a time (pure logic tests still run alongside).
if(TEST driver_test)
  set_tests_properties(driver_test PROPERTIES RESOURCE_LOCK wine_desktop)
endif()
