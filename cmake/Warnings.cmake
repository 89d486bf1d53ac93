# Every target of the project opts in with brivanto_warnings(<target>).
function(brivanto_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
