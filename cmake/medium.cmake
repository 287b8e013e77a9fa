# Tools of the end-to-end tests (tests/e2e), built next to the desktop binary, where the test
# scripts look for them:
#   sorvel_medium        a FUSE file system that serves a folder read-only and makes chosen byte
#                        ranges fail (tests/e2e/medium)
#   sorvel_medium_probe  a small reader that shows what every read of a file returns
#   sorvel_wm_close      closes a window through the window manager protocol, as a desktop does
#   sorvel_cover         covers a rectangle of the screen with a window for a while
set(SORVEL_E2E_DIR ${CMAKE_CURRENT_LIST_DIR}/../tests/e2e)

find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(FUSE3 IMPORTED_TARGET fuse3)
endif()
if(FUSE3_FOUND)
  add_executable(sorvel_medium ${SORVEL_E2E_DIR}/medium/medium.cpp
    ${SORVEL_E2E_DIR}/medium/fault_rules.cpp)
  target_include_directories(sorvel_medium PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(sorvel_medium PRIVATE PkgConfig::FUSE3)
else()
  message(STATUS "libfuse3 not found: the test medium (sorvel_medium) is not built")
endif()

add_executable(sorvel_medium_probe ${SORVEL_E2E_DIR}/medium/probe.cpp)

find_package(X11)
if(X11_FOUND)
  add_executable(sorvel_wm_close ${SORVEL_E2E_DIR}/lib/wm_close.cpp)
  target_include_directories(sorvel_wm_close PRIVATE ${X11_INCLUDE_DIR})
  target_link_libraries(sorvel_wm_close PRIVATE ${X11_LIBRARIES})
  add_executable(sorvel_cover ${SORVEL_E2E_DIR}/lib/cover.cpp)
  target_include_directories(sorvel_cover PRIVATE ${X11_INCLUDE_DIR})
  target_link_libraries(sorvel_cover PRIVATE ${X11_LIBRARIES})
endif()

foreach(tool sorvel_medium sorvel_medium_probe sorvel_wm_close sorvel_cover)
  if(TARGET ${tool})
    target_compile_options(${tool} PRIVATE -Wall -Wextra -Werror)
    set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()
endforeach()
