# `cpack -G DEB` in the build folder makes a Debian package of what `cmake --install` installs.
set(CPACK_PACKAGE_NAME pelliset)
set(CPACK_PACKAGE_VENDOR "Pelliset developers")
set(CPACK_PACKAGE_CONTACT "Pelliset developers <pelliset@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration utility for TMQ-D550 portable receipt printers")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads, edits and writes the printer's stored settings, stores logos in its NV memory and \
sends firmware, over serial, Bluetooth serial, USB or TCP/IP. Includes deskutil, pdautil, the \
pelliset command line for fleets, a virtual printer (printer-sim) and bmp2nv.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY pelliset)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, as dpkg-shlibdeps finds them (needs dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
