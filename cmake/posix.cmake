# Linux: the program over our own Win32 layer, shown by the FLTK driver; tests use the headless
# driver.
file(GLOB WIN32_POSIX_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/posix/kernel32/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/posix/model/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/posix/driver/*.cpp)
add_library(win32_posix STATIC ${WIN32_POSIX_SOURCES})
target_include_directories(win32_posix PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(win32_posix PRIVATE ${SORVEL_WARNINGS})
# The display keeper's thread.
find_package(Threads REQUIRED)
target_link_libraries(win32_posix PUBLIC Threads::Threads)
target_link_libraries(sorvel_program PUBLIC win32_posix)

file(GLOB WIN32_HEADLESS_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/posix/driver/headless/*.cpp)
add_library(win32_headless STATIC ${WIN32_HEADLESS_SOURCES})
target_link_libraries(win32_headless PUBLIC win32_posix)
target_compile_options(win32_headless PRIVATE ${SORVEL_WARNINGS})

# The fault layer of the tests and benchmarks; the program never links it.
add_library(win32_faults STATIC ${CMAKE_SOURCE_DIR}/platform/posix/faults/faults.cpp
  ${CMAKE_SOURCE_DIR}/platform/posix/faults/system_call_faults.cpp)
target_link_libraries(win32_faults PUBLIC win32_posix)
target_compile_options(win32_faults PRIVATE ${SORVEL_WARNINGS})

# Debian's FLTK CMake package is incomplete; the libraries are found directly. fltk_images
# decodes the program's icon.
find_path(FLTK_INCLUDE_DIR FL/Fl.H REQUIRED)
find_library(FLTK_LIBRARY fltk REQUIRED)
find_library(FLTK_IMAGES_LIBRARY fltk_images REQUIRED)
find_package(X11 REQUIRED)

# The program's window shows the icon the desktop shows for its menu entry: the PNG sizes of the
# icon theme up to 128 pixels are compiled in (the window manager scales for larger ones).
set(SORVEL_WINDOW_ICON_SIZES 16,22,24,32,48,64,128)
set(SORVEL_WINDOW_ICON_SOURCE ${CMAKE_BINARY_DIR}/generated/program_icon_data.cpp)
set(SORVEL_WINDOW_ICON_PNGS)
string(REPLACE "," ";" sizes "${SORVEL_WINDOW_ICON_SIZES}")
foreach(size ${sizes})
  list(APPEND SORVEL_WINDOW_ICON_PNGS ${CMAKE_SOURCE_DIR}/packaging/icons/${size}/sorvel.png)
endforeach()
add_custom_command(OUTPUT ${SORVEL_WINDOW_ICON_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DICON_FOLDER=${CMAKE_SOURCE_DIR}/packaging/icons
    -DSIZES=${SORVEL_WINDOW_ICON_SIZES} -DOUTPUT=${SORVEL_WINDOW_ICON_SOURCE}
    -P ${CMAKE_SOURCE_DIR}/cmake/embed_icons.cmake
  DEPENDS ${SORVEL_WINDOW_ICON_PNGS} ${CMAKE_SOURCE_DIR}/cmake/embed_icons.cmake VERBATIM)

file(GLOB WIN32_FLTK_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/posix/driver/fltk/*.cpp)
add_executable(sorvel app/win_main.cpp ${WIN32_FLTK_SOURCES} ${SORVEL_WINDOW_ICON_SOURCE})
target_include_directories(sorvel PRIVATE ${FLTK_INCLUDE_DIR})
target_compile_options(sorvel PRIVATE ${SORVEL_WARNINGS})
target_link_libraries(sorvel PRIVATE sorvel_program win32_posix ${FLTK_IMAGES_LIBRARY}
  ${FLTK_LIBRARY} ${X11_LIBRARIES})

# Benchmarks, built only on request (bench/*.sh).
include(cmake/bench.cmake)

option(SORVEL_TESTS "Build the tests" ON)
if(SORVEL_TESTS)
  include(cmake/tests.cmake)
endif()
