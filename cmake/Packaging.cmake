# Install rules for the program and a Debian package built from them with CPack.
#
# Everything installed here belongs to the component "orvane2"; the package takes only
# that component, so install rules of other targets or of bundled third-party code
# (test frameworks and the like) never end up in it.
#
#   cmake --install build --prefix /usr/local      # plain install
#   cd build && cpack -G DEB                       # orvane2_<version>_<arch>.deb

# Building only the probe leaves no program to install.
if(ORVANE2_ONLY_PROBE)
  return()
endif()

include(GNUInstallDirs)
# Debian names the documentation directory after the package (orvane2), while
# GNUInstallDirs defaults to the project's name; a value given by the user stays.
if("$CACHE{CMAKE_INSTALL_DOCDIR}" STREQUAL "")
  set(CMAKE_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/orvane2")
endif()

set(ORVANE2_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")
set(ORVANE2_ICON_DIR "${PROJECT_SOURCE_DIR}/assets/icon")

install(TARGETS orvane2
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
  COMPONENT orvane2)

# The application-menu entry: "Монитор узлов" in the Network category.
install(FILES "${ORVANE2_PACKAGING_DIR}/orvane2.desktop"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/applications"
  COMPONENT orvane2)

# The radar icon in the hicolor theme under the name the .desktop entry uses.
set(ORVANE2_HICOLOR_DIR "${CMAKE_INSTALL_DATADIR}/icons/hicolor")
install(FILES "${ORVANE2_ICON_DIR}/radar-16.png"
  DESTINATION "${ORVANE2_HICOLOR_DIR}/16x16/apps" RENAME orvane2.png
  COMPONENT orvane2)
install(FILES "${ORVANE2_ICON_DIR}/radar-48.png"
  DESTINATION "${ORVANE2_HICOLOR_DIR}/48x48/apps" RENAME orvane2.png
  COMPONENT orvane2)
install(FILES "${ORVANE2_ICON_DIR}/radar.svg"
  DESTINATION "${ORVANE2_HICOLOR_DIR}/scalable/apps" RENAME orvane2.svg
  COMPONENT orvane2)

install(FILES "${PROJECT_SOURCE_DIR}/examples/vantor2.cfg"
  DESTINATION "${CMAKE_INSTALL_DOCDIR}"
  COMPONENT orvane2)

# --- Debian package -------------------------------------------------------------------

set(ORVANE2_PACKAGE_MAINTAINER "Orvane2 developers <orvane2@example.org>"
  CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "orvane2")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Orvane2")
set(CPACK_PACKAGE_CONTACT "${ORVANE2_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray monitor of network hosts by ICMP echo")
set(CPACK_PACKAGE_DESCRIPTION
  "Orvane2 (\"Монитор узлов\") reads a list of hosts from a plain-text file, shows them\n"
  "in one compact window grouped in boxes and every check interval sends each host\n"
  "one ICMP echo request, colouring its label green when it answers and red when it\n"
  "does not. It lives in the system tray. Its interface is in Russian.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# Values reach CPack as written (the description has quotes and blanks).
set(CPACK_VERBATIM_VARIABLES TRUE)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES TRUE)

# Package only this project's "orvane2" component of this build tree.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};orvane2;/")

set(CPACK_DEBIAN_PACKAGE_NAME "orvane2")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANE2_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "net")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Depends is computed from the executable by dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setcap, used by the post-install step; without it the program still works where
# ping sockets are allowed, so it is recommended, as Debian's iputils-ping does.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcap2-bin")
# The post-install step gives the executable cap_net_raw for raw ICMP sockets.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${ORVANE2_PACKAGING_DIR}/postinst")
# Maintainer scripts get mode 0755 in the package whatever their mode in the checkout.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
