# What `cmake --install` puts where, and the Debian package `cpack -G DEB`
# makes of it: the two programs, the menu entry, the icon, the AppStream
# metadata and the licence text.
include(GNUInstallDirs)

set(_desktop ${PROJECT_SOURCE_DIR}/resources/desktop)
set(_staged ${CMAKE_BINARY_DIR}/desktop)

configure_file(${_desktop}/vantora.desktop.in ${_staged}/${VANTORA_APP_ID}.desktop @ONLY)
configure_file(${_desktop}/vantora.metainfo.xml.in ${_staged}/${VANTORA_APP_ID}.metainfo.xml @ONLY)

# The PNG icon is painted by the same code as the window icon.
add_custom_command(OUTPUT ${_staged}/${VANTORA_APP_ID}.png
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
    $<TARGET_FILE:vantora_resgen> icon 256 ${_staged}/${VANTORA_APP_ID}.png
  DEPENDS vantora_resgen
  COMMENT "Painting the program icon"
  VERBATIM)
add_custom_target(vantora_icon ALL DEPENDS ${_staged}/${VANTORA_APP_ID}.png)

# VN beside Vantora: the screensaver program can be run by hand ("VN /c").
install(TARGETS Vantora VN RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_staged}/${VANTORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_staged}/${VANTORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_desktop}/vantora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${VANTORA_APP_ID}.svg)
install(FILES ${_staged}/${VANTORA_APP_ID}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/eula.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantora
  RENAME copyright)

set(CPACK_PACKAGE_NAME vantora)
set(CPACK_PACKAGE_VENDOR "The Vantora developers")
set(CPACK_PACKAGE_CONTACT "The Vantora developers <feedback@vantora.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "LED desktop clock with alarm, world time and internet radio")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/resources/eula.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VANTORA_WEB_BASE})
# The shared libraries come from dpkg-shlibdeps; these are loaded at run time:
# libVLC's audio and stream plugins, Qt's X11 platform plugin, the help opener,
# and libzip (its package is named after its SONAME: libzip.so.4 is libzip4).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(REGEX REPLACE "^lib(.*)[.]so[.]([0-9]+)$" "lib\\1\\2" _libzip_package "${VANTORA_LIBZIP_SONAME}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "vlc-plugin-base, qt6-qpa-plugins, xdg-utils, ${_libzip_package}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "vlc-plugin-video-output, fonts-dejavu-core")
include(CPack)
