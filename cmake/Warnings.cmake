# Every target of the project opts in with brivanto_warnings(<target>).
function(brivanto_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  # GCC 12 at -O2 reports -Wrestrict inside libstdc++'s own string concatenation
  # (GCC bug 105329), a false alarm that optimised builds would otherwise fail on.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
