# SPDX-License-Identifier: MIT
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
# A stripped install (CPack strips) also drops the compiler's .comment and the .note
# sections that strip keeps, as Debian's own packaging tools do.
if(CMAKE_OBJCOPY)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:orvane2>\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()"
    COMPONENT orvane2)
endif()

# The application-menu entry: "Монитор узлов" in the Network category. Its command starts
# the program in the user's configuration folder, seeded with the example on first start;
# the command's full path is known only when installing (cmake --install --prefix, or the
# package's /usr), so the entry is written then.
install(PROGRAMS "${ORVANE2_PACKAGING_DIR}/start-in-config-folder"
  DESTINATION "${CMAKE_INSTALL_LIBEXECDIR}/orvane2"
  COMPONENT orvane2)
install(CODE "
  set(ORVANE2_MENU_COMMAND \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/orvane2/start-in-config-folder\")
  configure_file(\"${ORVANE2_PACKAGING_DIR}/orvane2.desktop.in\" \"${PROJECT_BINARY_DIR}/packaging/orvane2.desktop\" @ONLY)
  file(INSTALL \"${PROJECT_BINARY_DIR}/packaging/orvane2.desktop\"
    DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")"
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

# The software-centre description; its launchable names the menu entry above.
install(FILES "${ORVANE2_PACKAGING_DIR}/org.example.orvane2.metainfo.xml"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo"
  COMPONENT orvane2)

# The example that the menu entry's first start copies into the configuration folder.
install(FILES "${PROJECT_SOURCE_DIR}/examples/vantor2.cfg"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/orvane2"
  COMPONENT orvane2)

# The licence in Debian's machine-readable copyright format.
install(FILES "${ORVANE2_PACKAGING_DIR}/copyright"
  DESTINATION "${CMAKE_INSTALL_DOCDIR}"
  COMPONENT orvane2)

# The changelog and the manual pages go in compressed with gzip -9n: no file name and
# no time stamp in the header, so the same sources give the same bytes. The manual page
# is Russian under the ru locale and English everywhere else.
find_program(ORVANE2_GZIP gzip REQUIRED)
set(ORVANE2_COMPRESSED_DIR "${PROJECT_BINARY_DIR}/packaging")
set(ORVANE2_COMPRESSED_FILES)
# orvane2_compress(SOURCE OUTPUT): OUTPUT.gz in the build tree from SOURCE in packaging/.
function(orvane2_compress source output)
  set(plain "${ORVANE2_COMPRESSED_DIR}/${output}")
  add_custom_command(OUTPUT "${plain}.gz"
    COMMAND "${CMAKE_COMMAND}" -E copy "${ORVANE2_PACKAGING_DIR}/${source}" "${plain}"
    COMMAND "${ORVANE2_GZIP}" -9nf "${plain}"
    DEPENDS "${ORVANE2_PACKAGING_DIR}/${source}"
    COMMENT "Compressing ${output}"
    VERBATIM)
  set(ORVANE2_COMPRESSED_FILES ${ORVANE2_COMPRESSED_FILES} "${plain}.gz" PARENT_SCOPE)
endfunction()
orvane2_compress(changelog changelog)
orvane2_compress(man/orvane2.1 man/man1/orvane2.1)
orvane2_compress(man/orvane2.ru.1 man/ru/man1/orvane2.1)
add_custom_target(orvane2_compressed_docs ALL DEPENDS ${ORVANE2_COMPRESSED_FILES})

install(FILES "${ORVANE2_COMPRESSED_DIR}/changelog.gz"
  DESTINATION "${CMAKE_INSTALL_DOCDIR}"
  COMPONENT orvane2)
install(FILES "${ORVANE2_COMPRESSED_DIR}/man/man1/orvane2.1.gz"
  DESTINATION "${CMAKE_INSTALL_MANDIR}/man1"
  COMPONENT orvane2)
install(FILES "${ORVANE2_COMPRESSED_DIR}/man/ru/man1/orvane2.1.gz"
  DESTINATION "${CMAKE_INSTALL_MANDIR}/ru/man1"
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
# Lines of the extended description stay within 80 columns (Debian policy 3.4.1).
set(CPACK_PACKAGE_DESCRIPTION
  "Orvane2 (\"Монитор узлов\") reads a list of hosts from a plain-text file\n"
  "and shows them in one compact window, grouped in boxes. Every check\n"
  "interval it sends each host one ICMP echo request and colours its label\n"
  "green when the host answers and red when it does not. It lives in the\n"
  "system tray. Its interface is in Russian.")
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
# Qt's own Russian texts (file dialog, buttons), loaded whatever the locale; the rest of
# the dependencies come from the executable.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# setcap, used by the post-install step; without it the program still works where
# ping sockets are allowed, so it is recommended, as Debian's iputils-ping does. Qt's
# Wayland plugin: without it a Wayland session still runs the program through Xwayland,
# and only a session without Xwayland needs it, so it is recommended too (apt installs
# recommended packages unless told not to).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcap2-bin, qt6-wayland")
# The post-install step gives the executable cap_net_raw for raw ICMP sockets.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${ORVANE2_PACKAGING_DIR}/postinst")
# Maintainer scripts get mode 0755 in the package whatever their mode in the checkout.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
