# Writes one text of the Windows ZIP with the line ends of Windows (CR LF), which every Notepad
# shows as lines, also those of Windows 7 and 8:
#
#   cmake -DIN=FILE -DOUT=FILE [-DMANUAL=ON] -P cmake/windows_text.cmake
#
# With MANUAL, IN is a manual page, formatted as plain text by groff first: no hyphenation (a
# word split at a line's end cannot be searched for) and no overstriking for bold or underline.
if(MANUAL)
  find_program(SORVEL_GROFF groff)
  if(NOT SORVEL_GROFF)
    message(FATAL_ERROR "groff is missing (Debian package groff-base): it formats the manual of "
      "the Windows ZIP")
  endif()
  execute_process(COMMAND ${SORVEL_GROFF} -t -man -Tascii -P-cbou -rHY=0 ${IN}
    OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "groff could not format ${IN}: ${errors}")
  endif()
else()
  file(READ ${IN} text)
endif()
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
