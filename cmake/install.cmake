# What `cmake --install` puts under the prefix, and the Debian package made
# from it (cpack -G DEB):
#   <prefix>/lib/teskaro-ventaro/   the program, libvantagepro.so beside it (the
#                                   agent loads it from its own folder), the
#                                   settings tsk_vnt.ini, a pristine commented
#                                   copy tsk_vnt.ini.example, langue.pack, the
#                                   console simulator
#   <prefix>/bin/                   links to the program and the simulator
#   <prefix>/share/applications/    the desktop entry
#   <prefix>/share/icons/hicolor/   the application icon in the theme's sizes
#   <prefix>/lib/udev/rules.d/      the udev rule giving the logged-in user
#                                   access to the USB data logger and the
#                                   usual USB-serial cables (uaccess)
#   <prefix>/share/teskaro-ventaro/autostart/  the session autostart entry
#                                   (starts hidden in the tray), to copy into
#                                   ~/.config/autostart, or installed into the
#                                   system's autostart folder with
#                                   -DTV_INSTALL_AUTOSTART=ON
include(GNUInstallDirs)

set(TV_INSTALL_APPDIR "lib/teskaro-ventaro" CACHE STRING
  "Folder of the program, its station library, settings and language pack, under the prefix")
option(TV_INSTALL_AUTOSTART
  "Also install the autostart entry into the system's autostart folder (every user's session)" OFF)
set(TV_AUTOSTART_DIR "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart" CACHE PATH
  "The system's autostart folder")

install(TARGETS teskaro-ventaro vantage-simulator vantagepro
  RUNTIME DESTINATION ${TV_INSTALL_APPDIR}
  LIBRARY DESTINATION ${TV_INSTALL_APPDIR})
install(FILES ${CMAKE_SOURCE_DIR}/payload/tsk_vnt.ini ${CMAKE_SOURCE_DIR}/payload/langue.pack
  DESTINATION ${TV_INSTALL_APPDIR})
install(FILES ${CMAKE_SOURCE_DIR}/payload/tsk_vnt.ini
  DESTINATION ${TV_INSTALL_APPDIR} RENAME tsk_vnt.ini.example)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/teskaro-ventaro)

# Read by udev only under /usr (the package); elsewhere it is there to copy
# into /etc/udev/rules.d.
install(FILES ${CMAKE_SOURCE_DIR}/payload/udev/70-teskaro-ventaro.rules DESTINATION lib/udev/rules.d)

# Relative links, so that the installed tree can be moved as a whole.
file(RELATIVE_PATH tv_bin_to_app "/${CMAKE_INSTALL_BINDIR}" "/${TV_INSTALL_APPDIR}")
set(tv_links ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${tv_links})
foreach(program teskaro-ventaro vantage-simulator)
  file(CREATE_LINK ${tv_bin_to_app}/${program} ${tv_links}/${program} SYMBOLIC)
  install(FILES ${tv_links}/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# The application icon, rendered from its drawing in the icon theme's sizes.
find_program(TV_RSVG_CONVERT rsvg-convert REQUIRED)
set(tv_icon_svg ${CMAKE_SOURCE_DIR}/payload/pictures/svg/app-console-64.svg)
set(tv_icon_pngs)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/teskaro-ventaro.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${TV_RSVG_CONVERT} --format=png -w ${size} -h ${size} -o ${png} ${tv_icon_svg}
    DEPENDS ${tv_icon_svg} VERBATIM)
  list(APPEND tv_icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(tv_icons ALL DEPENDS ${tv_icon_pngs})
install(FILES ${tv_icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME teskaro-ventaro.svg)

# Desktop entries, with the installed program's absolute path.
function(tv_install_desktop_entry template destination name)
  install(CODE "
    set(TV_TEMPLATE \"${template}\")
    set(TV_DESTINATION \"${destination}\")
    set(TV_NAME \"${name}\")
    set(TV_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/teskaro-ventaro\")
    include(\"${CMAKE_SOURCE_DIR}/cmake/install_desktop_entry.cmake\")")
endfunction()
set(tv_desktop ${CMAKE_SOURCE_DIR}/payload/desktop)
tv_install_desktop_entry(${tv_desktop}/teskaro-ventaro.desktop.in
  "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications" teskaro-ventaro.desktop)
tv_install_desktop_entry(${tv_desktop}/teskaro-ventaro-autostart.desktop.in
  "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/teskaro-ventaro/autostart"
  teskaro-ventaro.desktop)
if(TV_INSTALL_AUTOSTART)
  tv_install_desktop_entry(${tv_desktop}/teskaro-ventaro-autostart.desktop.in
    "${TV_AUTOSTART_DIR}" teskaro-ventaro.desktop)
endif()

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME teskaro-ventaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Teskaro Ventaro")
set(CPACK_PACKAGE_CONTACT "Teskaro Ventaro <support@teskaro-ventaro.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "desktop agent for Vantage Pro, Pro2 and Vue weather-station consoles")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Sits in the notification area and shows in one window what the station's console
measures now (temperatures, humidity, pressure, wind, rain, solar and UV, the
console's forecast in French), with the records of the day, month and year, the
alarm thresholds, configuration and calibration, and alerts. Talks to the console
over a serial line, the USB data logger or TCP/IP. Includes a console simulator
to try it without a station.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Staged under DESTDIR with the final prefix, so that the desktop entries name
# /usr/bin/teskaro-ventaro and not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by Qt at run time, so dpkg-shlibdeps cannot see them: the X11 and
# Wayland platform plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-comic-neue, fonts-dejavu-extra, fonts-liberation, qt6-wayland")
# The settings an administrator edits survive upgrades.
set(tv_conffiles ${CMAKE_BINARY_DIR}/debian/conffiles)
file(WRITE ${tv_conffiles} "${CPACK_PACKAGING_INSTALL_PREFIX}/${TV_INSTALL_APPDIR}/tsk_vnt.ini\n")
if(TV_INSTALL_AUTOSTART)
  file(APPEND ${tv_conffiles} "${TV_AUTOSTART_DIR}/teskaro-ventaro.desktop\n")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${tv_conffiles})
include(CPack)
