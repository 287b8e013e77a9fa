# Run while installing (cmake/install.cmake): makes the manual page for the prefix being
# installed to and installs it compressed. Given: SORVEL_MANUAL_SOURCE (the page with @...@
# fields), SORVEL_MANUAL_FOLDER (where it is made), SORVEL_VERSION, SORVEL_DOC_DIR and
# SORVEL_MAN_DIR (relative to the prefix, or absolute).
foreach(folder DOC MAN)
  if(IS_ABSOLUTE "${SORVEL_${folder}_DIR}")
    set(full_${folder} "${SORVEL_${folder}_DIR}")
  else()
    set(full_${folder} "${CMAKE_INSTALL_PREFIX}/${SORVEL_${folder}_DIR}")
  endif()
endforeach()
set(SORVEL_USER_GUIDE "${full_DOC}/README.md.gz")

file(MAKE_DIRECTORY "${SORVEL_MANUAL_FOLDER}")
configure_file("${SORVEL_MANUAL_SOURCE}" "${SORVEL_MANUAL_FOLDER}/sorvel.1" @ONLY)
# -n keeps the file's name and time out of the result, so that every build gives the same bytes.
execute_process(COMMAND gzip -9nf -k "${SORVEL_MANUAL_FOLDER}/sorvel.1" RESULT_VARIABLE gzipped)
if(NOT gzipped EQUAL 0)
  message(FATAL_ERROR "could not compress the manual page ${SORVEL_MANUAL_FOLDER}/sorvel.1")
endif()
file(INSTALL "${SORVEL_MANUAL_FOLDER}/sorvel.1.gz" DESTINATION "${full_MAN}/man1")
