if(TARGET brivanto_platform_odbc AND TARGET brivanto_platform_qt AND TARGET brivanto-access-odbc)
  find_package(SQLite3 REQUIRED)
  add_executable(bench_path_change ${CMAKE_CURRENT_LIST_DIR}/PathChangeBench.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/BenchEnvironment.cpp)
  target_link_libraries(bench_path_change PRIVATE brivanto_platform_odbc brivanto_platform_qt
                                                  SQLite::SQLite3)
  target_compile_definitions(bench_path_change PRIVATE
    BRIVANTO_ACCESS_STANDIN="$<TARGET_FILE:brivanto-access-odbc>")
  add_dependencies(bench_path_change brivanto-access-odbc)
  brivanto_warnings(bench_path_change)
endif()
