# The real Windows GUI program (32-bit as shipped; 64-bit for running under a 64-bit Wine),
# linked statically against the real Win32 libraries.
add_executable(sorvel WIN32 app/win_main.cpp)
target_compile_options(sorvel PRIVATE ${SORVEL_WARNINGS})
target_link_libraries(sorvel PRIVATE sorvel_program user32 gdi32 comdlg32 shell32)
target_link_options(sorvel PRIVATE -static -static-libgcc -static-libstdc++ -mwindows)
target_link_libraries(sorvel_program PUBLIC user32 gdi32 comdlg32 shell32)

# The conformance tests, built against the real API and run under Wine by the Linux build's tests.
option(SORVEL_TESTS "Build the tests" ON)
if(SORVEL_TESTS)
  include(cmake/windows_tests.cmake)
endif()
