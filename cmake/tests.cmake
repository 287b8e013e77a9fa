enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

# Tests of our Win32 layer through its public surface only (they also build against the real API).
file(GLOB CONFORMANCE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/conformance/*.cpp)
if(CONFORMANCE_TEST_SOURCES)
  add_executable(conformance_tests ${CONFORMANCE_TEST_SOURCES})
  target_link_libraries(conformance_tests PRIVATE win32_headless win32_posix GTest::gtest_main)
  target_compile_options(conformance_tests PRIVATE ${SORVEL_WARNINGS})
  gtest_discover_tests(conformance_tests DISCOVERY_TIMEOUT 60)
endif()

# Tests of the layer's own test seams and of the program's parts.
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
if(UNIT_TEST_SOURCES)
  add_executable(unit_tests ${UNIT_TEST_SOURCES})
  target_link_libraries(unit_tests PRIVATE sorvel_program win32_headless win32_posix GTest::gtest_main)
  target_compile_options(unit_tests PRIVATE ${SORVEL_WARNINGS})
  gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)
endif()

# Whole runs of the program through the headless driver.
file(GLOB PROGRAM_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/program/*.cpp)
if(PROGRAM_TEST_SOURCES)
  add_executable(program_tests ${PROGRAM_TEST_SOURCES})
  target_link_libraries(program_tests PRIVATE sorvel_program win32_headless win32_posix GTest::gtest_main)
  target_compile_options(program_tests PRIVATE ${SORVEL_WARNINGS})
  target_compile_definitions(program_tests PRIVATE SORVEL_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  gtest_discover_tests(program_tests DISCOVERY_TIMEOUT 60)
endif()

# The real binary under Xvfb: each script in tests/e2e named *.sh is one test.
file(GLOB E2E_TEST_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_test.sh)
foreach(script ${E2E_TEST_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name} COMMAND bash ${script} $<TARGET_FILE:sorvel>)
  set_tests_properties(e2e.${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endforeach()
