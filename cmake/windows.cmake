# The real 32-bit Windows GUI program, linked statically against the real Win32 libraries.
add_executable(sorvel WIN32 app/win_main.cpp)
target_compile_options(sorvel PRIVATE ${SORVEL_WARNINGS})
target_link_libraries(sorvel PRIVATE sorvel_program user32 gdi32 comdlg32 shell32)
target_link_options(sorvel PRIVATE -static -static-libgcc -static-libstdc++ -mwindows)
target_link_libraries(sorvel_program PUBLIC user32 gdi32 comdlg32 shell32)
