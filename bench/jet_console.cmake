# bench_jet_console: the SQL console listing a table of a real Access (Jet 4) file through the
# stand-in and MDB Tools, timed against MDB Tools' own mdb-export of the same table.
if(TARGET brivanto_adapter_odbc AND TARGET brivanto-access-odbc AND TARGET brivanto_test_jet)
  add_executable(bench_jet_console ${CMAKE_CURRENT_LIST_DIR}/JetConsoleBench.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/BenchEnvironment.cpp)
  target_link_libraries(bench_jet_console PRIVATE brivanto_core brivanto_adapter_odbc
                                                  brivanto_odbc_test_environment brivanto_test_jet)
  add_dependencies(bench_jet_console brivanto-access-odbc)
  brivanto_warnings(bench_jet_console)
endif()
