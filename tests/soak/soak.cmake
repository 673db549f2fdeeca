# The soak: a working day of the console in minutes, its objects and memory sampled from inside.
# The verdict on the samples is platform-free and tested natively.
teshmar_add_gtest(NAME soak_verdict_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/SoakVerdict_test.cpp)

if(WIN32)
  # The console over the scripted database with its main window's timers divided by this factor:
  # blink every 25 ms, refresh (RefreshMinutes=1) and warning every 1.5 s. A test program only.
  set(TESHMAR_SOAK_TIMER_DIVISOR 40)
  teshmar_add_console(NAME TeshmarSoak
    FACTORY ${CMAKE_SOURCE_DIR}/tools/scripted_db/DatabaseFactoryScripted.cpp
    LIBS teshmar_scripted_db
    TIMER_DIVISOR ${TESHMAR_SOAK_TIMER_DIVISOR})

  # Counts the calling process's objects from inside; Wine answers GetGuiResources with 0.
  add_library(teshmar_process_objects STATIC ${CMAKE_CURRENT_LIST_DIR}/ProcessObjects.cpp)
  target_include_directories(teshmar_process_objects PUBLIC ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(teshmar_process_objects PUBLIC user32 gdi32 psapi)

  teshmar_add_gtest(NAME process_objects_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ProcessObjects_test.cpp
    LIBS teshmar_process_objects)

  # The probe the soak's message hook loads into the console.
  add_library(teshmar_soak_probe SHARED ${CMAKE_CURRENT_LIST_DIR}/soak_probe.cpp)
  set_target_properties(teshmar_soak_probe PROPERTIES PREFIX "")
  # --kill-at: the 32-bit build exports the hook by its plain name.
  target_link_options(teshmar_soak_probe PRIVATE -static-libgcc -static-libstdc++ -Wl,--kill-at)
  target_link_libraries(teshmar_soak_probe PRIVATE teshmar_process_objects)

  teshmar_add_gtest(NAME soak_e2e_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/Soak_test.cpp
    LIBS teshmar_driver teshmar_win advapi32 psapi
    LABELS e2e soak
    TIMEOUT 900)
  add_dependencies(soak_e2e_test TeshmarSoak teshmar_soak_probe teshmar_timer_hook)
  target_compile_definitions(soak_e2e_test PRIVATE
    TESHMAR_EXE="$<TARGET_FILE:Teshmar>"
    TESHMAR_SCRIPTED_EXE="$<TARGET_FILE:TeshmarScripted>"
    TESHMAR_SOAK_EXE="$<TARGET_FILE:TeshmarSoak>"
    TESHMAR_TIMER_HOOK="$<TARGET_FILE:teshmar_timer_hook>"
    TESHMAR_SOAK_PROBE="$<TARGET_FILE:teshmar_soak_probe>"
    TESHMAR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots"
    TESHMAR_SOAK_TIMER_DIVISOR=${TESHMAR_SOAK_TIMER_DIVISOR})
  if(TESHMAR_TESTS_RUN)
    # One console per session: the named mutex "Teshmar".
    set_tests_properties(soak_e2e_test PROPERTIES RUN_SERIAL ON)
  endif()
endif()
