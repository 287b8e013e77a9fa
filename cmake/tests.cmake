enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

# One test executable per test file, so that each area's tests build and fail on their own.
#   tests/conformance: our Win32 layer through its public surface only
#   tests/unit:        the layer's test seams and the program's parts
#   tests/program:     whole runs of the program through the headless driver
function(sorvel_add_test_files folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*_test.cpp)
  foreach(source ${sources})
    get_filename_component(name ${source} NAME_WE)
    set(target ${folder}_${name})
    add_executable(${target} ${source})
    target_link_libraries(${target} PRIVATE sorvel_program win32_headless win32_faults win32_posix
      GTest::gtest_main)
    target_compile_options(${target} PRIVATE ${SORVEL_WARNINGS})
    target_compile_definitions(${target} PRIVATE SORVEL_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
      SORVEL_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 TEST_PREFIX ${folder}.)
  endforeach()
endfunction()

sorvel_add_test_files(conformance)
sorvel_add_test_files(unit)
sorvel_add_test_files(program)

# Tools of the end-to-end tests: the failing test medium and the window-manager close.
include(cmake/medium.cmake)

# The real binary under Xvfb: each script tests/e2e/*_test.sh is one test; exit 77 means skipped.
file(GLOB E2E_TEST_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_test.sh)
foreach(script ${E2E_TEST_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name} COMMAND bash ${script} $<TARGET_FILE:sorvel>)
  set_tests_properties(e2e.${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 900)
endforeach()

# The Windows builds under Wine: the conformance tests and the real program against this one.
include(cmake/wine_tests.cmake)
