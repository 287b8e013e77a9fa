# What the Windows ZIP holds: the program, the text on how to run it, the manual as plain text
# and, where the sources have one, the licence. The texts get the line ends of Windows.
set(SORVEL_ZIP_TEXTS ${CMAKE_BINARY_DIR}/zip)

# zip_text(NAME SOURCE [MANUAL]): the text NAME of the ZIP, made from SOURCE at build time.
function(zip_text name source)
  set(manual OFF)
  if(ARGN STREQUAL "MANUAL")
    set(manual ON)
  endif()
  add_custom_command(OUTPUT ${SORVEL_ZIP_TEXTS}/${name}
    COMMAND ${CMAKE_COMMAND} -DIN=${source} -DOUT=${SORVEL_ZIP_TEXTS}/${name} -DMANUAL=${manual}
      -P ${CMAKE_SOURCE_DIR}/cmake/windows_text.cmake
    DEPENDS ${source} ${CMAKE_SOURCE_DIR}/cmake/windows_text.cmake VERBATIM)
  set_property(GLOBAL APPEND PROPERTY SORVEL_ZIP_TEXT_FILES ${SORVEL_ZIP_TEXTS}/${name})
  install(FILES ${SORVEL_ZIP_TEXTS}/${name} DESTINATION .)
endfunction()

# The licence is the one of the whole sources, COPYING at their root, when they have it.
if(EXISTS ${CMAKE_SOURCE_DIR}/COPYING)
  zip_text(COPYING.txt ${CMAKE_SOURCE_DIR}/COPYING)
  # A line of its own in the list of README.txt, after the manual's.
  set(SORVEL_ZIP_LICENCE_LINE "\n  COPYING.txt   the licence under which sorvel is distributed")
else()
  message(WARNING "No COPYING in ${CMAKE_SOURCE_DIR}: the Windows ZIP has no licence text")
  set(SORVEL_ZIP_LICENCE_LINE "")
endif()
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt
  ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY)
zip_text(README.txt ${CMAKE_BINARY_DIR}/packaging/README.txt)
configure_file(${CMAKE_SOURCE_DIR}/packaging/sorvel.1 ${CMAKE_BINARY_DIR}/packaging/sorvel.1 @ONLY)
zip_text(manual.txt ${CMAKE_BINARY_DIR}/packaging/sorvel.1 MANUAL)

get_property(SORVEL_ZIP_TEXT_FILES GLOBAL PROPERTY SORVEL_ZIP_TEXT_FILES)
add_custom_target(sorvel_zip_texts ALL DEPENDS ${SORVEL_ZIP_TEXT_FILES})
install(TARGETS sorvel RUNTIME DESTINATION .)
