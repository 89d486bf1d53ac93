if(TARGET brivanto_adapter_odbc AND TARGET brivanto_frontend_qt AND TARGET brivanto-access-odbc)
  find_package(SQLite3 REQUIRED)
  add_executable(bench_path_change ${CMAKE_CURRENT_LIST_DIR}/PathChangeBench.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/BenchEnvironment.cpp)
  target_link_libraries(bench_path_change PRIVATE brivanto_adapter_odbc brivanto_frontend_qt
                                                  brivanto_adapter_posix
                                                  brivanto_odbc_test_environment)
  add_dependencies(bench_path_change brivanto-access-odbc)
  brivanto_warnings(bench_path_change)
endif()
