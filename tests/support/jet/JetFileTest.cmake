# The Jet writer's test, included by tests/CMakeLists.txt once GoogleTest is found: the files it
# writes are read back by MDB Tools, its programs on PATH and its ODBC driver.
find_library(BRIVANTO_JET_TEST_ODBC_LIBRARY odbc REQUIRED)
find_file(BRIVANTO_TEST_MDBTOOLS_ODBC_DRIVER
  NAMES libmdbodbc.so
  PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/odbc /usr/lib64/odbc /usr/lib/odbc
  NO_DEFAULT_PATH
  DOC "Debian's MDB Tools ODBC driver (package odbc-mdbtools), which reads the written files")
if(NOT BRIVANTO_TEST_MDBTOOLS_ODBC_DRIVER)
  # Configure anyway: the test fails, naming the package, until it is installed.
  set(BRIVANTO_TEST_MDBTOOLS_ODBC_DRIVER /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/odbc/libmdbodbc.so)
endif()

add_executable(jet_file_tests ${CMAKE_CURRENT_LIST_DIR}/JetFileTest.cpp)
target_link_libraries(jet_file_tests PRIVATE
  brivanto_test_jet brivanto_odbc_test_environment ${BRIVANTO_JET_TEST_ODBC_LIBRARY} GTest::gtest_main)
target_compile_definitions(jet_file_tests PRIVATE
  BRIVANTO_MDBTOOLS_ODBC_DRIVER="${BRIVANTO_TEST_MDBTOOLS_ODBC_DRIVER}")
brivanto_warnings(jet_file_tests)
gtest_discover_tests(jet_file_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)
