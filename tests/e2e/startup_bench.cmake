# Start-up figures under Wine (built with the tests, run by hand: it prints, it does not judge).
if(WIN32)
  add_executable(minimal_window WIN32 ${CMAKE_CURRENT_LIST_DIR}/minimal_window.cpp)
  target_link_options(minimal_window PRIVATE -municode)
  add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
  target_link_libraries(startup_bench PRIVATE teshmar_driver)
  add_dependencies(startup_bench Teshmar minimal_window)
  target_compile_definitions(startup_bench PRIVATE
    TESHMAR_EXE="$<TARGET_FILE:Teshmar>" MINIMAL_EXE="$<TARGET_FILE:minimal_window>")
endif()
# Entry grid figures: start-up with 50 entries, idle CPU while they blink, a refresh held by slow links.
if(WIN32)
  add_executable(grid_bench ${CMAKE_CURRENT_LIST_DIR}/grid_bench.cpp)
  target_link_libraries(grid_bench PRIVATE teshmar_driver teshmar_win)
  target_include_directories(grid_bench PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  add_dependencies(grid_bench TeshmarScripted minimal_window)
  target_compile_definitions(grid_bench PRIVATE
    TESHMAR_SCRIPTED_EXE="$<TARGET_FILE:TeshmarScripted>" MINIMAL_EXE="$<TARGET_FILE:minimal_window>")
endif()
# A chain's size: first shows of thousands of entries, and a refresh held by hundreds of slow links,
# beside an earlier build when one is given.
if(WIN32)
  add_executable(scale_bench ${CMAKE_CURRENT_LIST_DIR}/scale_bench.cpp)
  target_link_libraries(scale_bench PRIVATE teshmar_driver teshmar_win)
  target_include_directories(scale_bench PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  add_dependencies(scale_bench TeshmarScripted)
  target_compile_definitions(scale_bench PRIVATE TESHMAR_SCRIPTED_EXE="$<TARGET_FILE:TeshmarScripted>")
endif()
# How long the main window keeps a sender waiting while checks wait for slow servers, beside an
# earlier build when one is given.
if(WIN32)
  add_executable(answer_bench ${CMAKE_CURRENT_LIST_DIR}/answer_bench.cpp)
  target_link_libraries(answer_bench PRIVATE teshmar_driver teshmar_win)
  target_include_directories(answer_bench PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  add_dependencies(answer_bench TeshmarScripted)
  target_compile_definitions(answer_bench PRIVATE TESHMAR_SCRIPTED_EXE="$<TARGET_FILE:TeshmarScripted>")
endif()
