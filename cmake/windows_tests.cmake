# The conformance tests (tests/conformance) built against the real Win32 API, to be run on Windows
# or under Wine (tests/wine): what they check of our POSIX layer is checked of the real system by
# the same code. Each tests/conformance/*_test.cpp becomes conformance_<file>.exe in the build
# folder, linked statically so that it needs no DLL beyond those of Windows itself.
#
# GoogleTest is built from source for the Windows target: Debian's googletest package provides
# it in /usr/src/googletest (set SORVEL_GOOGLETEST_SOURCE to use another copy).
set(SORVEL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
  "GoogleTest sources, built for the Windows tests")
if(NOT EXISTS ${SORVEL_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${SORVEL_GOOGLETEST_SOURCE}: install the "
    "googletest package (scripts/install-deps.sh), set SORVEL_GOOGLETEST_SOURCE, or configure "
    "with -DSORVEL_TESTS=OFF")
endif()

# GoogleTest needs std::mutex, which mingw-w64 has only with its POSIX thread model (the
# compilers named *-posix, which the toolchain files choose). A build folder first configured
# with another compiler keeps it: there the program is built without the tests.
include(CheckCXXSourceCompiles)
check_cxx_source_compiles("#include <mutex>
int main() { std::mutex m; m.lock(); m.unlock(); return 0; }" SORVEL_COMPILER_HAS_STD_MUTEX)
if(NOT SORVEL_COMPILER_HAS_STD_MUTEX)
  message(WARNING "The conformance tests are not built: ${CMAKE_CXX_COMPILER} has no std::mutex "
    "(win32 thread model), which GoogleTest needs. Configure a new build folder (or delete "
    "CMakeCache.txt) so that the compiler of cmake/mingw-*.cmake is used.")
  return()
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${SORVEL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(SORVEL_WINDOWS_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

file(GLOB SORVEL_CONFORMANCE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tests/conformance/*_test.cpp)
foreach(source ${SORVEL_CONFORMANCE_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  set(target conformance_${name})
  add_executable(${target} ${source})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${SORVEL_WARNINGS})
  target_link_libraries(${target} PRIVATE gtest_main user32 gdi32 comdlg32 shell32)
  target_link_options(${target} PRIVATE ${SORVEL_WINDOWS_STATIC_RUNTIME})
endforeach()
