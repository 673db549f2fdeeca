# The console itself: one static Windows executable with its icon, glyphs, version and manifest.
if(WIN32)
  add_executable(Teshmar WIN32
    main.cpp mainfrm.cpp PageControl.cpp WinServices.cpp
    ${CMAKE_SOURCE_DIR}/res/Teshmar.rc)
  target_include_directories(Teshmar PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(Teshmar PRIVATE teshmar_app_logic teshmar_settings teshmar_windows_msg teshmar_win
    comctl32 shell32 ole32 gdi32 user32)
  if(MINGW)
    target_link_options(Teshmar PRIVATE -municode -s)
  endif()
  set_target_properties(Teshmar PROPERTIES OUTPUT_NAME Teshmar RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
