# What `cmake --install` puts on a Linux system (and the Debian package holds): the program, its
# desktop entry and icon, its AppStream metainfo, its manual page, the user guide (the README)
# and the package's copyright and changelog.
include(GNUInstallDirs)
set(SORVEL_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
# The desktop entry and the metainfo carry the component's id as their names, so that software
# centres find the one from the other.
set(SORVEL_APPSTREAM_ID org.example.sorvel)
set(SORVEL_ICON_SIZES 16 22 24 32 48 64 128 256)

install(TARGETS sorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${SORVEL_PACKAGING_DIR}/${SORVEL_APPSTREAM_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${SORVEL_PACKAGING_DIR}/icons/sorvel.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${SORVEL_ICON_SIZES})
  install(FILES ${SORVEL_PACKAGING_DIR}/icons/${size}/sorvel.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

configure_file(${SORVEL_PACKAGING_DIR}/${SORVEL_APPSTREAM_ID}.metainfo.xml
  ${CMAKE_BINARY_DIR}/packaging/${SORVEL_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${SORVEL_APPSTREAM_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The changelog and the user guide are installed compressed, as Debian's policy asks; -n keeps
# the file's name and time out of the result, so that every build gives the same bytes.
configure_file(${SORVEL_PACKAGING_DIR}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog VERBATIM)
# The README changes often; it is copied by the build, not by configuring.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/README.md.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/README.md
    ${CMAKE_BINARY_DIR}/packaging/README.md
  COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/packaging/README.md
  DEPENDS ${CMAKE_SOURCE_DIR}/README.md VERBATIM)
add_custom_target(sorvel_documents ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  ${CMAKE_BINARY_DIR}/packaging/README.md.gz)
install(FILES ${SORVEL_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  ${CMAKE_BINARY_DIR}/packaging/README.md.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual page names the installed user guide by its full path, which depends on the prefix
# installed to: /usr for the Debian package (CPack installs with that prefix), /usr/local or the
# user's own for `cmake --install`. So it is made, and compressed, while installing.
install(CODE "
  set(SORVEL_MANUAL_SOURCE \"${SORVEL_PACKAGING_DIR}/sorvel.1\")
  set(SORVEL_MANUAL_FOLDER \"${CMAKE_BINARY_DIR}/packaging/manual\")
  set(SORVEL_VERSION \"${SORVEL_VERSION}\")
  set(SORVEL_DOC_DIR \"${CMAKE_INSTALL_DOCDIR}\")
  set(SORVEL_MAN_DIR \"${CMAKE_INSTALL_MANDIR}\")
  include(\"${CMAKE_SOURCE_DIR}/cmake/install_manual.cmake\")")
