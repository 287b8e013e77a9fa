enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

# Every test has a time limit, so that a loop that never ends fails its test instead of holding
# the whole run: a test case of GoogleTest takes seconds at most; an end-to-end test takes seconds
# to a minute, within the limit of its own waits. The slow ones have a longer limit: several runs
# of the program one after the other on a failing medium, each allowed two minutes, or a package
# built and installed.
set(SORVEL_TEST_TIMEOUT 120)
set(SORVEL_E2E_TIMEOUT 300)
set(SORVEL_SLOW_E2E_TIMEOUT 900)
set(SORVEL_SLOW_E2E_TESTS copy_bad_ranges_test copy_verify_medium_test package_test)

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
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 TEST_PREFIX ${folder}.
      PROPERTIES TIMEOUT ${SORVEL_TEST_TIMEOUT})
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
  set(timeout ${SORVEL_E2E_TIMEOUT})
  if(name IN_LIST SORVEL_SLOW_E2E_TESTS)
    set(timeout ${SORVEL_SLOW_E2E_TIMEOUT})
  elseif(name STREQUAL copy_large_test)
    # Run only on request (SORVEL_SLOW_TESTS=1), with its own deadline of up to a day.
    set(timeout 90000)
  endif()
  set_tests_properties(e2e.${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT ${timeout})
endforeach()

# The Windows builds under Wine: the conformance tests and the real program against this one.
include(cmake/wine_tests.cmake)
