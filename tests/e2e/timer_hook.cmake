# A message hook that the end-to-end tests load into the console to watch its window timers tick.
if(WIN32 AND TARGET console_e2e_test)
  add_library(teshmar_timer_hook SHARED ${CMAKE_CURRENT_LIST_DIR}/timer_hook.cpp)
  set_target_properties(teshmar_timer_hook PROPERTIES PREFIX "")
  target_include_directories(teshmar_timer_hook PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  # --kill-at: the 32-bit build exports the hook by its plain name, not as TimerTickHook@12.
  target_link_options(teshmar_timer_hook PRIVATE -static-libgcc -Wl,--kill-at)
  target_link_libraries(teshmar_timer_hook PRIVATE user32)
  add_dependencies(console_e2e_test teshmar_timer_hook)
  target_compile_definitions(console_e2e_test PRIVATE TESHMAR_TIMER_HOOK="$<TARGET_FILE:teshmar_timer_hook>")
endif()
