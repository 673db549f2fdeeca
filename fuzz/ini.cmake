# libFuzzer over the settings file's parser and writer (clang only). The parser and the code-page
# layer are compiled into the target itself, so the fuzzer sees their coverage.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_executable(ini_fuzz
    ${CMAKE_CURRENT_LIST_DIR}/IniDocument_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/links/files/IniDocument.cpp
    ${CMAKE_SOURCE_DIR}/common/Cp936.cpp
    ${CMAKE_SOURCE_DIR}/common/TextUtil.cpp)
  target_include_directories(ini_fuzz PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(ini_fuzz PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  target_link_options(ini_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  set(_ini_corpus ${CMAKE_CURRENT_BINARY_DIR}/ini_corpus)
  file(MAKE_DIRECTORY ${_ini_corpus})
  add_test(NAME ini_fuzz_short
    COMMAND ini_fuzz -max_total_time=15 -seed=1 -print_final_stats=1 ${_ini_corpus} ${CMAKE_CURRENT_LIST_DIR}/corpus/ini)
  set_tests_properties(ini_fuzz_short PROPERTIES TIMEOUT 120 LABELS fuzz)
endif()
