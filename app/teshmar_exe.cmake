# The console itself: one static Windows executable with its icon, glyphs, version and manifest.
# Everything but the database factory lives in teshmar_console, so the end-to-end build of the
# console (a scripted database in place of ADO) is the same program.
if(WIN32)
  function(teshmar_console_library NAME)
    add_library(${NAME} STATIC ${CMAKE_SOURCE_DIR}/app/mainfrm.cpp ${CMAKE_SOURCE_DIR}/app/PageControl.cpp
      ${CMAKE_SOURCE_DIR}/app/WinServices.cpp)
    target_include_directories(${NAME} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${NAME} PUBLIC teshmar_app_logic teshmar_settings teshmar_windows_msg teshmar_win
      teshmar_entrygrid_logic teshmar_rgInfo_view teshmar_dblink_view
      teshmar_modeinfo_view
      comctl32 ole32 gdi32 user32)
  endfunction()
  teshmar_console_library(teshmar_console)

  # teshmar_add_console(NAME target FACTORY source LIBS ... [TIMER_DIVISOR n]): a console program with
  # its own database. TIMER_DIVISOR (tests only) builds it over a copy of teshmar_console whose main
  # window divides every window timer's interval by n (TESHMAR_TIMER_DIVISOR in mainfrm.cpp), so a
  # soak passes a day in minutes; without it the main window is the shipped one, which divides by 1.
  function(teshmar_add_console)
    cmake_parse_arguments(C "" "NAME;TIMER_DIVISOR" "FACTORY;LIBS" ${ARGN})
    set(console teshmar_console)
    if(C_TIMER_DIVISOR)
      set(console teshmar_console_${C_NAME})
      teshmar_console_library(${console})
      target_compile_definitions(${console} PRIVATE TESHMAR_TIMER_DIVISOR=${C_TIMER_DIVISOR})
    endif()
    add_executable(${C_NAME} WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${C_FACTORY} ${CMAKE_SOURCE_DIR}/res/Teshmar.rc)
    target_include_directories(${C_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${C_NAME} PRIVATE ${console} ${C_LIBS})
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
