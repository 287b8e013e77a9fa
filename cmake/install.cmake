# What `cmake --install` puts on a Linux system (and the Debian package holds): the program, its
# desktop entry and icon, its AppStream metainfo, its manual page and the package's copyright
# and changelog.
include(GNUInstallDirs)
set(SORVEL_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(SORVEL_APPSTREAM_ID org.example.sorvel)
set(SORVEL_ICON_SIZES 16 22 24 32 48 64 128 256)

install(TARGETS sorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${SORVEL_PACKAGING_DIR}/sorvel.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${SORVEL_PACKAGING_DIR}/icons/sorvel.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${SORVEL_ICON_SIZES})
  install(FILES ${SORVEL_PACKAGING_DIR}/icons/${size}/sorvel.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

configure_file(${SORVEL_PACKAGING_DIR}/sorvel.metainfo.xml
  ${CMAKE_BINARY_DIR}/packaging/${SORVEL_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${SORVEL_APPSTREAM_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page and the changelog are installed compressed, as Debian's policy asks; -n keeps
# the file's name and time out of the result, so that every build gives the same bytes.
configure_file(${SORVEL_PACKAGING_DIR}/sorvel.1 ${CMAKE_BINARY_DIR}/packaging/sorvel.1 @ONLY)
configure_file(${SORVEL_PACKAGING_DIR}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
foreach(document sorvel.1 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${document}.gz
    COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/packaging/${document}
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/${document} VERBATIM)
endforeach()
add_custom_target(sorvel_documents ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/sorvel.1.gz
  ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/sorvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${SORVEL_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
