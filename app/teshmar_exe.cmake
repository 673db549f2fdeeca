# The console itself: one static Windows executable with its icon, glyphs, version and manifest.
# Everything but the database factory lives in teshmar_console, so the end-to-end build of the
# console (a scripted database in place of ADO) is the same program.
if(WIN32)
  add_library(teshmar_console STATIC mainfrm.cpp PageControl.cpp WinServices.cpp)
  target_include_directories(teshmar_console PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(teshmar_console PUBLIC teshmar_app_logic teshmar_settings teshmar_windows_msg teshmar_win
    teshmar_entrygrid_logic teshmar_rgInfo_view teshmar_dblink_view
    teshmar_modeinfo_view
    comctl32 shell32 ole32 gdi32 user32)

  # teshmar_add_console(NAME target FACTORY source LIBS ...): a console program with its own database.
  function(teshmar_add_console)
    cmake_parse_arguments(C "" "NAME" "FACTORY;LIBS" ${ARGN})
    add_executable(${C_NAME} WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${C_FACTORY} ${CMAKE_SOURCE_DIR}/res/Teshmar.rc)
    target_include_directories(${C_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${C_NAME} PRIVATE teshmar_console ${C_LIBS})
    # The version resource takes its numbers from the generated header.
    target_include_directories(${C_NAME} PRIVATE ${TESHMAR_GENERATED_DIR})
    set_source_files_properties(${CMAKE_SOURCE_DIR}/res/Teshmar.rc PROPERTIES
      OBJECT_DEPENDS ${TESHMAR_GENERATED_DIR}/TeshmarVersion.h)
    if(MINGW)
      target_link_options(${C_NAME} PRIVATE -municode -s)
    endif()
    set_target_properties(${C_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endfunction()

  teshmar_add_console(NAME Teshmar FACTORY ${CMAKE_CURRENT_LIST_DIR}/DatabaseFactoryAdo.cpp LIBS teshmar_ado)
endif()
