# Tests of the Windows builds under Wine (tests/wine), run by the Linux build's CTest:
#   wine.prefix                 creates a fresh Wine prefix in this build folder; the fixture of
#                               the other Wine tests, which share it and run one at a time
#   wine.conformance.<file>     tests/conformance/<file>.cpp built for Windows, run under Wine
#   wine.program                the Windows program against the Linux one, under Xvfb
#   wine.names                  names in Greek, Chinese and with an emoji copied by the Windows
#                               program (in the UTF-8 code page its manifest asks for)
#   wine.resources              the manifest, icon and version information of every Windows
#                               build's sorvel.exe (read from the file; needs no Wine)
# Each Wine test runs the shipped 32-bit build where this machine can execute 32-bit programs,
# otherwise the 64-bit build of the same sources. Exit code 77 means skipped: Wine is missing
# or can run nothing here.
set(SORVEL_WINDOWS32_BUILD ${CMAKE_SOURCE_DIR}/build/windows CACHE PATH
  "Build folder of the 32-bit Windows program and its tests (cmake/mingw-i686.cmake)")
set(SORVEL_WINDOWS64_BUILD ${CMAKE_SOURCE_DIR}/build/windows64 CACHE PATH
  "Build folder of the 64-bit Windows program and its tests (cmake/mingw-x86_64.cmake)")
set(SORVEL_WINE_DIR ${CMAKE_SOURCE_DIR}/tests/wine)
set(SORVEL_WINE_ARGUMENTS $<TARGET_FILE:sorvel> ${CMAKE_BINARY_DIR}/wine
  ${SORVEL_WINDOWS32_BUILD} ${SORVEL_WINDOWS64_BUILD})

add_test(NAME wine.prefix COMMAND bash ${SORVEL_WINE_DIR}/prefix.sh ${SORVEL_WINE_ARGUMENTS})
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine_prefix
  RESOURCE_LOCK wine_prefix SKIP_RETURN_CODE 77 TIMEOUT 300)

file(GLOB SORVEL_WINE_CONFORMANCE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tests/conformance/*_test.cpp)
set(SORVEL_WINE_TESTS wine.program wine.names)
foreach(source ${SORVEL_WINE_CONFORMANCE_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_test(NAME wine.conformance.${name}
    COMMAND bash ${SORVEL_WINE_DIR}/conformance.sh ${SORVEL_WINE_ARGUMENTS} ${name})
  list(APPEND SORVEL_WINE_TESTS wine.conformance.${name})
endforeach()

add_test(NAME wine.program COMMAND bash ${SORVEL_WINE_DIR}/program.sh ${SORVEL_WINE_ARGUMENTS})
add_test(NAME wine.names COMMAND bash ${SORVEL_WINE_DIR}/names.sh ${SORVEL_WINE_ARGUMENTS})
add_test(NAME wine.resources COMMAND bash ${SORVEL_WINE_DIR}/resources.sh ${SORVEL_WINE_ARGUMENTS})
set_tests_properties(wine.resources PROPERTIES TIMEOUT 120)
set_tests_properties(${SORVEL_WINE_TESTS} PROPERTIES FIXTURES_REQUIRED wine_prefix
  RESOURCE_LOCK wine_prefix SKIP_RETURN_CODE 77 TIMEOUT 900)
