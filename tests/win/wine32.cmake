# The 32-bit build's tests run under 32-bit Wine in a Debian tree of the project's own
# (scripts/wine32-run). Before any of them: the tree and the prefix are made, outside every test's
# time-out, and a first program shows that 32-bit Wine runs this build's programs and that what they
# print arrives (a Wine without its 32-bit half prints nothing and exits 0). When either fails, no
# other test runs: each reports that its fixture failed.
if(WIN32 AND TESHMAR_TESTS_RUN AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME wine32_prepare COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine32-run --prepare)
  set_tests_properties(wine32_prepare PROPERTIES TIMEOUT 1800 FIXTURES_SETUP wine32_tree)

  add_executable(wine32_probe_test ${CMAKE_CURRENT_LIST_DIR}/Wine32Probe_test.cpp)
  target_link_libraries(wine32_probe_test PRIVATE GTest::gtest GTest::gtest_main)
  # Through the emulator, which fails a GoogleTest program that printed no result.
  add_test(NAME wine32_probe_test COMMAND wine32_probe_test --gtest_color=no)
  set_tests_properties(wine32_probe_test PROPERTIES
    TIMEOUT 300 FIXTURES_REQUIRED wine32_tree FIXTURES_SETUP wine32)

  # The tree's mounts live in a mount namespace of each run's own; none is ever left on the host,
  # where `rm -rf build` would walk into /proc or the project.
  add_test(NAME wine32_no_mounts_left
    COMMAND bash -c "! findmnt -rn -o TARGET | grep -F \"$1/\"" bash ${CMAKE_SOURCE_DIR})
  set_tests_properties(wine32_no_mounts_left PROPERTIES FIXTURES_CLEANUP "wine32_tree;wine32")
endif()
