# bench_backup: the backup copy against cp on a 200 MB file; prints backup_vs_cp=<ratio> last.
add_executable(bench_backup ${CMAKE_CURRENT_LIST_DIR}/BackupBench.cpp)
target_link_libraries(bench_backup PRIVATE brivanto_adapter_posix)
brivanto_warnings(bench_backup)
