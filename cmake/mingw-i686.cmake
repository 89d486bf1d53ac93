# Cross-compiles for 32-bit Windows with Debian's mingw-w64: the Access driver exists only in
# 32 bits. The -posix compilers have std::thread and std::mutex; -static leaves the exe needing
# only the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BRIVANTO_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
