# libFuzzer over the server address check and the connection string builders (clang only).
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_executable(connstring_fuzz
    ${CMAKE_CURRENT_LIST_DIR}/ConnString_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/links/db/ConnString.cpp
    ${CMAKE_SOURCE_DIR}/links/db/ServerAddress.cpp
    ${CMAKE_SOURCE_DIR}/common/TextUtil.cpp
    ${CMAKE_SOURCE_DIR}/tools/scripted_db/ConnStringParser.cpp)
  target_include_directories(connstring_fuzz PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(connstring_fuzz PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  target_link_options(connstring_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  # The short run belongs to the tests; new inputs go to the build tree, the seeds stay as they are.
  set(_connstring_corpus ${CMAKE_CURRENT_BINARY_DIR}/connstring_corpus)
  file(MAKE_DIRECTORY ${_connstring_corpus})
  add_test(NAME connstring_fuzz_short
    COMMAND connstring_fuzz -max_total_time=15 -seed=1 -print_final_stats=1
            ${_connstring_corpus} ${CMAKE_CURRENT_LIST_DIR}/corpus/connstring)
  set_tests_properties(connstring_fuzz_short PROPERTIES TIMEOUT 120 LABELS fuzz)
endif()
