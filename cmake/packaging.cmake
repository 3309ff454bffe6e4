# `cpack` builds a Debian package on Linux and a zip on Windows.
set(CPACK_PACKAGE_NAME padwatch)
set(CPACK_PACKAGE_VENDOR "padwatch developers")
set(PADWATCH_PACKAGE_CONTACT "padwatch developers <padwatch-developers@example.org>"
    CACHE STRING "Maintainer named in the packages")
set(CPACK_PACKAGE_CONTACT "${PADWATCH_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print one line for every change on up to four game controllers")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "padwatch watches up to four game controllers and prints one line per event on\n"
       "standard output: controllers connecting and disconnecting with the number\n"
       "connected, buttons pressed and released, sticks and triggers leaving and\n"
       "returning to rest, and the value of each active axis on every poll.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME padwatch-${PROJECT_VERSION}-windows-x86_64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()

include(CPack)
