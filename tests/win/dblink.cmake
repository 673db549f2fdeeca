# The link dialog under Wine: over the scripted database with a real settings file, over ADO,
# and the application's message boxes while it runs.
if(WIN32)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/screenshots)
  teshmar_add_gtest(NAME dblink_win_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/DBLink_test.cpp
    LIBS teshmar_dblink_view teshmar_settings teshmar_ado teshmar_console teshmar_png
    TIMEOUT 300)
  target_compile_definitions(dblink_win_test PRIVATE TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  if(TESHMAR_TESTS_RUN)
    set_tests_properties(dblink_win_test PROPERTIES RESOURCE_LOCK wine_desktop)
  endif()
endif()
