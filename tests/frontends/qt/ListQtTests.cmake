# Writes OUTPUT: one add_test per test function of the QtTest executable TEST_EXECUTABLE, each
# run as "TEST_EXECUTABLE <function>" with the environment in ${gui_test_environment}.
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND ${TEST_EXECUTABLE} -functions
  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TEST_EXECUTABLE} -functions failed (${result}):\n${errors}")
endif()
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" functions "${listing}")
set(content "")
foreach(function IN LISTS functions)
  string(REPLACE "()" "" function "${function}")
  set(test "${TEST_PREFIX}.${function}")
  string(APPEND content
    "add_test([==[${test}]==] [==[${TEST_EXECUTABLE}]==] [==[${function}]==])\n"
    "set_tests_properties([==[${test}]==] PROPERTIES ENVIRONMENT \"\${gui_test_environment}\""
    " TIMEOUT 120)\n")
endforeach()
file(WRITE ${OUTPUT} "${content}")
