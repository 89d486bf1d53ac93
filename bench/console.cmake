# bench_console: the SQL console listing a large result through the real ODBC layer and the
# Access stand-in, timed against unixODBC's isql on the same query and driver.
if(TARGET brivanto_adapter_odbc AND TARGET brivanto-access-odbc)
  find_package(SQLite3 REQUIRED)
  add_executable(bench_console ${CMAKE_CURRENT_LIST_DIR}/ConsoleBench.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/BenchEnvironment.cpp)
  target_link_libraries(bench_console PRIVATE brivanto_core brivanto_adapter_odbc
                                            brivanto_odbc_test_environment)
  # The stand-in is loaded by the driver manager at run time, so nothing links against it.
  add_dependencies(bench_console brivanto-access-odbc)
  # The window's own list model when the Qt frontend is built; a plain vector otherwise.
  if(TARGET brivanto_frontend_qt)
    target_link_libraries(bench_console PRIVATE brivanto_frontend_qt)
    target_compile_definitions(bench_console PRIVATE BRIVANTO_BENCH_QT_LIST)
  endif()
  brivanto_warnings(bench_console)
else()
  message(STATUS "bench_console needs brivanto_adapter_odbc and brivanto-access-odbc; not built")
endif()
