# Kestrix installed as a Linux desktop program: the install rules (GNU layout under the prefix),
# the Debian package that `make package` builds, and the tests that check both.
#
#   bin/kestrix, bin/kestrix-receiver-sim          the console and the receiver simulator
#   share/kestrix/help/                             the manual, which the help viewer opens
#   share/applications/kestrix.desktop              the desktop menu's entry
#   share/icons/hicolor/{scalable,48x48,256x256}/apps/kestrix.{svg,png}
#   bin/kestrix-monitor                             the headless monitor, served to Prometheus
#   /lib/systemd/system/kestrix-monitor.service     its service (outside the prefix)
#   share/kestrix/grafana/kestrix-dashboard.json    a Grafana dashboard of its metrics
#   share/man/man1/kestrix.1.gz, kestrix-receiver-sim.1.gz, kestrix-monitor.1.gz
#   share/doc/kestrix/copyright, changelog.gz       what a Debian package carries
include(GNUInstallDirs)

set(KESTRIX_PACKAGE_MAINTAINER "Kestrix developers <kestrix-dev@kestrix.invalid>"
    CACHE STRING "The Debian package's maintainer, \"Name <address>\"")

# The program looks for its manual in ../share/kestrix/help beside its own folder.
file(RELATIVE_PATH _kestrix_bin_to_data ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR})
if(NOT _kestrix_bin_to_data STREQUAL "../share")
  message(WARNING "An installed kestrix finds its manual in ../share from its folder; with "
                  "${CMAKE_INSTALL_FULL_BINDIR} and ${CMAKE_INSTALL_FULL_DATADIR} it will not.")
endif()

# Manual pages and the Debian changelog are installed compressed, without a time stamp.
set(_kestrix_packaging_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_kestrix_packaging_out})
configure_file(packaging/changelog.in ${_kestrix_packaging_out}/changelog @ONLY)
set(_kestrix_compressed)
foreach(_source packaging/man/kestrix.1 packaging/man/kestrix-receiver-sim.1 packaging/man/kestrix-monitor.1
                ${_kestrix_packaging_out}/changelog)
  get_filename_component(_name ${_source} NAME)
  get_filename_component(_source ${_source} ABSOLUTE)
  set(_target ${_kestrix_packaging_out}/${_name}.gz)
  add_custom_command(OUTPUT ${_target}
                     COMMAND gzip -9 -n -c ${_source} > ${_target}
                     DEPENDS ${_source})
  list(APPEND _kestrix_compressed ${_target})
endforeach()
add_custom_target(kestrix_packaging_files ALL DEPENDS ${_kestrix_compressed})

# The programs' symbols are all bound at start, so their relocations can be made read-only.
foreach(_program kestrix receiver-sim kestrix-monitor)
  if(TARGET ${_program})
    target_link_options(${_program} PRIVATE -Wl,-z,relro,-z,now)
  endif()
endforeach()

if(TARGET receiver-sim)
  install(TARGETS receiver-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${_kestrix_packaging_out}/kestrix-receiver-sim.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(TARGETS kestrix-monitor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_kestrix_packaging_out}/kestrix-monitor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/grafana/kestrix-dashboard.json DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix/grafana)
install(FILES packaging/monitor.ini DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
# Debian 12 keeps packaged units in /lib/systemd/system, outside the prefix: installed with
# DESTDIR (as the package and the install test do), it lands under DESTDIR.
install(FILES packaging/kestrix-monitor.service DESTINATION /lib/systemd/system)

if(TARGET kestrix)
  # The windows carry the icon too. The PNGs are the SVG rendered (rsvg-convert -w N -h N).
  qt_add_resources(kestrix kestrix_icon PREFIX / BASE packaging/icons FILES packaging/icons/kestrix-256.png)
  install(TARGETS kestrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY docs/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix/help)
  install(FILES packaging/kestrix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/icons/kestrix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(_size 48 256)
    install(FILES packaging/icons/kestrix-${_size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
            RENAME kestrix.png)
  endforeach()
  install(FILES ${_kestrix_packaging_out}/kestrix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/copyright ${_kestrix_packaging_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# The Debian package: cmake --build build --target package, or make package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VENDOR "Kestrix developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KESTRIX_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the libraries the programs link; Qt's platform plugins are loaded at run
# time, and without one no window opens, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console for GPS timing receivers on a serial line")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
Kestrix talks to a Morvandelle GPS timing receiver wired to a serial port, in
the receiver's SCPI command language. It polls the receiver's status screen
and clock, offers a terminal, sends single commands from a catalogue with a
log and history, reads the SCPI status registers and decodes alarm causes,
and downloads firmware (Motorola S-records) over the line.

The package also holds kestrix-receiver-sim, a simulated receiver on a
pseudo-terminal, for training and for trying settings without hardware, and
kestrix-monitor, a service without a display that watches many receivers and
serves their state to Prometheus (kestrix-monitor.service, a Grafana dashboard).

Serial devices belong to the group dialout: users who run Kestrix must be
members of it (adduser USER dialout, then log in again).]])
include(CPack)

# Tests: install into a scratch folder and run what was installed; build the package and check it.
if(TARGET kestrix AND TARGET receiver-sim)
  add_test(NAME install.InstalledTree
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/check_install.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  set_tests_properties(install.InstalledTree PROPERTIES TIMEOUT 120)
  add_test(NAME install.DebianPackage
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/check_package.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(install.DebianPackage PROPERTIES TIMEOUT 600)
endif()
