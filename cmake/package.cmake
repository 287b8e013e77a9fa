# CPack: on Linux a Debian package of what cmake/install.cmake installs, its dependencies found
# by dpkg-shlibdeps; for Windows a ZIP of the program with its texts and the licence
# (cmake/windows_package.cmake; the Debian package names the system's copy of the licence in its
# copyright file).
set(CPACK_PACKAGE_NAME sorvel)
set(CPACK_PACKAGE_VERSION ${SORVEL_VERSION})
set(CPACK_PACKAGE_VENDOR ${SORVEL_VENDOR})
set(CPACK_PACKAGE_CONTACT "sorvel support <support@sorvel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${SORVEL_SUMMARY})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.sorvel.example/")
set(CPACK_STRIP_FILES ON)
# CPack packages what the build folder holds and does not build every target of it first: a
# folder with the tests packages its program without rebuilding them (scripts/package.sh and the
# test command build before they package).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  include(cmake/windows_package.cmake)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME sorvel-${SORVEL_VERSION}-win32)
  else()
    set(CPACK_PACKAGE_FILE_NAME sorvel-${SORVEL_VERSION}-win64)
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # FLTK's native file chooser loads GTK at run time, which dpkg-shlibdeps cannot see; without
  # it the pickers fall back to FLTK's own chooser.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libgtk2.0-0)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The extended description; CPack puts the summary before it as the synopsis line.
  set(CPACK_PACKAGE_DESCRIPTION "sorvel copies files off a scratched CD, a dying USB stick, a
floppy or a failing disk. Every byte is read with retries and can be
verified by reading it back; a byte that cannot be read is replaced, so
the rest of the file is saved at its full size. Existing files are never
overwritten, and every run can be logged as HTML.")
endif()
include(CPack)
