teshmar_add_gtest(NAME ado_test WINDOWS_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AdoDatabase_test.cpp
  LIBS teshmar_ado teshmar_links_db psapi
  TIMEOUT 900)

# ADO against a live provider, where Debian's unixODBC and SQLite ODBC driver are installed:
# Wine's MSDASQL hands the connection to unixODBC, which reads the odbc.ini written here.
# The 32-bit build's Wine runs in the Debian tree of scripts/wine32-root.sh, which installs the
# i386 driver and library at these paths.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_teshmar_odbc_libdir /usr/lib/i386-linux-gnu)
  set(_teshmar_odbc_found ${TESHMAR_TESTS_RUN})
else()
  set(_teshmar_odbc_libdir /usr/lib/x86_64-linux-gnu)
  set(_teshmar_odbc_found OFF)
  if(EXISTS ${_teshmar_odbc_libdir}/odbc/libsqlite3odbc.so AND EXISTS ${_teshmar_odbc_libdir}/libodbc.so.2)
    set(_teshmar_odbc_found ON)
  endif()
endif()
set(_teshmar_sqlite_odbc ${_teshmar_odbc_libdir}/odbc/libsqlite3odbc.so)
if(WIN32 AND TESHMAR_TESTS_RUN AND _teshmar_odbc_found)
  teshmar_add_gtest(NAME ado_odbc_test WINDOWS_ONLY
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/AdoOdbc_test.cpp
    LIBS teshmar_ado teshmar_links_db psapi)
  set(_teshmar_odbc_dir ${CMAKE_CURRENT_BINARY_DIR}/ado_odbc)
  # Wine 8's MSDASQL connects without passing the source's name, so unixODBC takes [Default].
  file(WRITE ${_teshmar_odbc_dir}/odbc.ini
    "[TeshmarTest]\nDriver=${_teshmar_sqlite_odbc}\nDatabase=${_teshmar_odbc_dir}/store.db\n\n"
    "[Default]\nDriver=${_teshmar_sqlite_odbc}\nDatabase=${_teshmar_odbc_dir}/store.db\n")
  set_tests_properties(ado_odbc_test PROPERTIES
    ENVIRONMENT "TESHMAR_ODBC_TEST=1;ODBCINI=${_teshmar_odbc_dir}/odbc.ini")
endif()
