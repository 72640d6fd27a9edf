# The Debian package: `cpack -G DEB` in a build tree configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/package.sh does both).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TARVIK_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "send raw bytes to a printer and see what it answers")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarvik is a desktop tool for people who develop and test printer firmware
and printer programs. It opens one port to a printer at a time (serial,
parallel, USB printer, TCP network, or a print queue taking raw jobs), sends
raw bytes typed in hex or escaped text, from command buttons or as whole files
repeated with pauses, and shows, counts and saves what comes back.

Serial ports need membership of the group dialout, parallel and USB printers
of the group lp; see tarvik(1). The package also holds tarvik-printersim, a
network printer on the loopback interface, and a demo configuration in
/usr/share/tarvik/demo.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# dpkg-shlibdeps finds the libraries the programs link; the icon's SVG
# renderer is a Qt plug-in loaded at run time, which it cannot see, and the
# receipt renderer draws its characters from two fonts found by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-dejavu-core, fonts-wqy-microhei")
# Qt's own dialog buttons in Chinese come from Qt's translations; without them
# they stay English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
