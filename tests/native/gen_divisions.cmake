# The division table's generator: native only, like the tool itself.
teshmar_add_gtest(NAME gen_divisions_test NATIVE_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/GenDivisions_test.cpp
  LIBS teshmar_gen_divisions)
if(NOT WIN32)
  add_dependencies(gen_divisions_test gen_divisions)
  target_compile_definitions(gen_divisions_test PRIVATE
    GEN_DIVISIONS_EXE="$<TARGET_FILE:gen_divisions>"
    DIVISION_LIST="${CMAKE_SOURCE_DIR}/../shared/data/divisions-2004-09.tsv"
    COMMITTED_SOURCE="${CMAKE_SOURCE_DIR}/customer/ChinaAreaData.cpp")
endif()
