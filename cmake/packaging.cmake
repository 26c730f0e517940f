# What `cmake --install` puts beside the two programs so that Lintari is a
# desktop program like any other, and the Debian package made of it.

install(FILES data/lintari.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/lintari.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(FILES data/lintari.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES docs/man/lintari.1 docs/man/lintari-modemsim.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lintari)
set(CPACK_PACKAGE_VENDOR "Lintari developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lintari developers <lintari@lintari.example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tuning tool for Brevant TRVK1, TRVK2 and Kelvane modems")
set(CPACK_PACKAGE_DESCRIPTION
    "Lintari tunes an external Brevant dial-up data modem (series TRVK1, TRVK2
and Kelvane) over a serial line. It reads, changes and stores the modem's
tuning registers with AT commands (busy-tone detection, transmit level and
line adaptation, tone dialling speed, extended registers, connection speed
limits), identifies the modem's firmware and edits the init string of the
modem driver. Its windows are in Russian.

The package also holds lintari-modemsim, a simulated modem on a
pseudo-terminal for trying Lintari without hardware.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help button and the web links open through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)

include(CPack)
