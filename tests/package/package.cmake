# A probe of version resources for the release checks (tests/package/check.sh) under Wine.
if(WIN32)
  add_executable(version-probe ${CMAKE_CURRENT_LIST_DIR}/version_probe.cpp)
  target_include_directories(version-probe PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(version-probe PRIVATE teshmar_win version shell32)
  set_target_properties(version-probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
