# The copy-rate benchmark (bench/copy_rate.sh): copies a healthy file through copyOneFile over the
# POSIX Win32 layer with the headless driver and prints bytes per second. Built only on request.
if(TARGET bench_copy_rate)
  return()
endif()
add_executable(bench_copy_rate EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/../bench/copy_rate.cpp)
target_link_libraries(bench_copy_rate PRIVATE sorvel_program win32_headless win32_faults win32_posix)
target_compile_options(bench_copy_rate PRIVATE ${SORVEL_WARNINGS})

# The speed benchmark (bench/speed.sh): one whole copy job headless, timed from outside.
add_executable(bench_speed EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/../bench/speed.cpp)
target_link_libraries(bench_speed PRIVATE sorvel_program win32_headless win32_faults win32_posix)
target_compile_options(bench_speed PRIVATE ${SORVEL_WARNINGS})
