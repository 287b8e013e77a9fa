# The program's version, read from app/version.h, where the window and the log take it from:
# sets SORVEL_VERSION ("major.minor").
file(READ ${CMAKE_CURRENT_LIST_DIR}/../app/version.h SORVEL_VERSION_HEADER)
string(REGEX MATCH "kMajorVersion = ([0-9]+)" SORVEL_VERSION_MAJOR "${SORVEL_VERSION_HEADER}")
set(SORVEL_VERSION_MAJOR ${CMAKE_MATCH_1})
string(REGEX MATCH "kMinorVersion = ([0-9]+)" SORVEL_VERSION_MINOR "${SORVEL_VERSION_HEADER}")
set(SORVEL_VERSION_MINOR ${CMAKE_MATCH_1})
if(SORVEL_VERSION_MAJOR STREQUAL "" OR SORVEL_VERSION_MINOR STREQUAL "")
  message(FATAL_ERROR "app/version.h: no kMajorVersion and kMinorVersion found")
endif()
set(SORVEL_VERSION ${SORVEL_VERSION_MAJOR}.${SORVEL_VERSION_MINOR})

# Who makes the program and what it does, for the packages and the Windows program's version
# information.
set(SORVEL_VENDOR "Tandrel software")
set(SORVEL_SUMMARY "save files from media that read badly")
set(SORVEL_COPYRIGHT "Copyright (C) 2026 ${SORVEL_VENDOR}")
