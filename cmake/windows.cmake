# The real Windows GUI program (32-bit as shipped; 64-bit for running under a 64-bit Wine),
# linked statically against the real Win32 libraries.

# Its resources (packaging/windows): the manifest that says how Windows runs it, its icon and its
# version information, filled in from the one place the version lives (cmake/version.cmake).
enable_language(RC)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(SORVEL_MANIFEST_ARCHITECTURE x86)
else()
  set(SORVEL_MANIFEST_ARCHITECTURE amd64)
endif()
set(SORVEL_DESCRIPTION "sorvel: ${SORVEL_SUMMARY}")
set(SORVEL_MANIFEST_FILE ${CMAKE_BINARY_DIR}/packaging/sorvel.manifest)
set(SORVEL_ICON_FILE ${CMAKE_SOURCE_DIR}/packaging/windows/sorvel.ico)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/sorvel.manifest.in ${SORVEL_MANIFEST_FILE}
  @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/sorvel.rc.in
  ${CMAKE_BINARY_DIR}/packaging/sorvel.rc @ONLY)
# windres reads the manifest and the icon itself: a change of either rebuilds the resources.
set_source_files_properties(${CMAKE_BINARY_DIR}/packaging/sorvel.rc PROPERTIES
  OBJECT_DEPENDS "${SORVEL_MANIFEST_FILE};${SORVEL_ICON_FILE}")

add_executable(sorvel WIN32 app/win_main.cpp ${CMAKE_BINARY_DIR}/packaging/sorvel.rc)
target_compile_options(sorvel PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${SORVEL_WARNINGS}>)
target_link_libraries(sorvel PRIVATE sorvel_program user32 gdi32 comdlg32 shell32)
target_link_options(sorvel PRIVATE -static -static-libgcc -static-libstdc++ -mwindows)
target_link_libraries(sorvel_program PUBLIC user32 gdi32 comdlg32 shell32)

# The conformance tests, built against the real API and run under Wine by the Linux build's tests.
option(SORVEL_TESTS "Build the tests" ON)
if(SORVEL_TESTS)
  include(cmake/windows_tests.cmake)
endif()
