# Install layout and the Debian package: the three programs, the menu entry with its icon and
# AppStream metainfo, and the examples for an unattended restart.
#   cmake --install build --prefix /usr/local
#   cpack --config build/CPackConfig.cmake -B build/package   ->  cellward_<version>_amd64.deb
include(GNUInstallDirs)

set(KLV_APP_ID example.cellward.station)
set(KLV_DIST ${CMAKE_SOURCE_DIR}/dist)
configure_file(${KLV_DIST}/${KLV_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/generated/${KLV_APP_ID}.metainfo.xml @ONLY)

install(TARGETS klv-station klv-sim klv-lab RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KLV_DIST}/${KLV_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KLV_DIST}/${KLV_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/generated/${KLV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Shipped, not enabled: the README says how to switch either on for one user.
install(FILES ${KLV_DIST}/cellward-station.service DESTINATION lib/systemd/user)
install(FILES ${KLV_DIST}/klv-station-autostart.desktop ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/cellward)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cellward)
set(CPACK_PACKAGE_VENDOR Cellward)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Cellward 多通道电池测试系统: control and logging station for battery test units")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.cellward.example")
set(CPACK_PACKAGE_CONTACT "Cellward <support@cellward.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# dpkg-shlibdeps reads the binaries' libraries, so apt brings every Qt library they need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Chinese texts need a CJK font, and Qt's own buttons their Chinese translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
