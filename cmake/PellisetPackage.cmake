# `cpack -G DEB` in the build folder makes the Debian packages of what `cmake --install` installs,
# split the Debian way: `pelliset` (the programs with the terminal and automation hosts, the
# command line, the simulator, bmp2nv, manual pages, completions) needs no Qt; `pelliset-qt` (the
# window host module and the desktop entry) adds windows to deskutil and pdautil. Install commands
# without a component belong to `pelliset` (CMAKE_INSTALL_DEFAULT_COMPONENT_NAME).
set(CPACK_PACKAGE_NAME pelliset)
set(CPACK_PACKAGE_VENDOR "Pelliset developers")
set(CPACK_PACKAGE_CONTACT "Pelliset developers <pelliset@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's description starts with its own summary line (a summary of the whole project
# would be put in front of both).
set(CPACK_PACKAGE_INSTALL_DIRECTORY pelliset)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries each package's files link, as dpkg-shlibdeps finds them (needs dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL pelliset)
set(CPACK_DEBIAN_PELLISET_PACKAGE_NAME pelliset)
set(CPACK_DEBIAN_PELLISET_DESCRIPTION
    "Configuration utility for TMQ-D550 portable receipt printers
Reads, edits and writes the printer's stored settings, stores logos in its
NV memory and sends firmware, over serial, Bluetooth serial, USB or TCP/IP.
Includes deskutil and pdautil (in a terminal, or driven by scripts), the
pelliset command line for fleets, a virtual printer (printer-sim) and bmp2nv.
Install pelliset-qt for their windows.")
if(PELLISET_HAVE_QT)
  list(APPEND CPACK_COMPONENTS_ALL qt)
  set(CPACK_DEBIAN_PELLISET_PACKAGE_SUGGESTS "bash-completion, pelliset-qt")
  set(CPACK_DEBIAN_QT_PACKAGE_NAME pelliset-qt)
  set(CPACK_DEBIAN_QT_PACKAGE_SECTION x11)
  # The module is built for the programs of the same version: it uses their dialog framework.
  set(CPACK_DEBIAN_QT_PACKAGE_DEPENDS "pelliset (= ${PROJECT_VERSION})")
  # Chinese, Japanese and Korean captions need a font with those glyphs, or Qt draws boxes; the
  # build and the terminal need none.
  set(CPACK_DEBIAN_QT_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")
  set(CPACK_DEBIAN_QT_DESCRIPTION
      "Windows for the Pelliset receipt printer utility (Qt 6)
The window host that deskutil and pdautil load when they open windows
(started from the desktop menu, or with --gui), and deskutil's desktop menu
entry and icon.")
else()
  set(CPACK_DEBIAN_PELLISET_PACKAGE_SUGGESTS "bash-completion")
endif()
include(CPack)
