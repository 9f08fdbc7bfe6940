# Installs the tool, its console program and the simulated meter with what a Linux desktop expects of an
# application (desktop entry, icons, AppStream metainfo, manual pages), the service units of the console
# program's serve (one line, and one instance per line) with the example Prometheus files, and describes
# the Debian package that CPack builds from them; scripts/package drives it.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

include(GNUInstallDirs)

set(VEMO_APP_ID org.example.vemo400)
set(VEMO_LINUX_FILES ${PROJECT_SOURCE_DIR}/resources/linux)
set(VEMO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})

install(TARGETS vemo400 vemo400-cli vemo400-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VEMO_LINUX_FILES}/${VEMO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VEMO_LINUX_FILES}/${VEMO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${VEMO_LINUX_FILES}/icons/${size}x${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${PROJECT_NAME}.png)
endforeach()
install(FILES ${VEMO_LINUX_FILES}/copyright DESTINATION ${VEMO_DOC_DIR})
# Installed, not enabled: the service needs its line set in /etc/default/vemo400-serve first, an
# instance of the template in /etc/default/vemo400-serve-NAME.
install(FILES ${VEMO_LINUX_FILES}/vemo400-serve.service ${VEMO_LINUX_FILES}/vemo400-serve@.service
  DESTINATION lib/systemd/system)
install(FILES ${PROJECT_SOURCE_DIR}/docs/prometheus/prometheus.yml ${PROJECT_SOURCE_DIR}/docs/prometheus/vemo400-alerts.yml
  ${PROJECT_SOURCE_DIR}/docs/prometheus/prometheus-lines.yml ${PROJECT_SOURCE_DIR}/docs/prometheus/web-config.yml
  DESTINATION ${VEMO_DOC_DIR}/examples)
install(FILES ${VEMO_LINUX_FILES}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME ${PROJECT_NAME})

# Manual pages and the changelog go into the package compressed, without a time stamp.
set(compressed)
foreach(file docs/man/vemo400.1 docs/man/vemo400-cli.1 docs/man/vemo400-sim.1 resources/linux/changelog)
  get_filename_component(name ${file} NAME)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/compressed
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${file} > ${output}
    DEPENDS ${PROJECT_SOURCE_DIR}/${file} VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(vemo_compressed_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/vemo400.1.gz ${CMAKE_CURRENT_BINARY_DIR}/compressed/vemo400-cli.1.gz
  ${CMAKE_CURRENT_BINARY_DIR}/compressed/vemo400-sim.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz DESTINATION ${VEMO_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure and monitor a VEMO400 power meter over RS-485")
set(CPACK_PACKAGE_DESCRIPTION
  "A desktop tool with which an electrical engineer configures and monitors one\n"
  "three-phase VEMO400 multifunction power meter over a serial line (RS-485,\n"
  "Modbus RTU). It shows live measurements, harmonics, demands, max/min values,\n"
  "energy counters and event records, sets the meter's clock, loads and writes\n"
  "its settings and relay alarms, and switches its relays.\n"
  ".\n"
  "vemo400-cli finds, reads, logs, backs up and reports on a meter from a\n"
  "terminal, and serves the readings of the meters on a line to Prometheus.\n"
  ".\n"
  "vemo400-sim, a simulated meter on a pseudo-terminal, lets the tool be tried\n"
  "without hardware.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_CONTACT "VEMO400 tool maintainers <maintainers@vemo400.example.org>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vemo400.example.org/")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Library dependencies come from the binaries; the window system plugin and the dialog faces (the one the
# layouts are measured in, a sans-serif one the controls are drawn in) are loaded at run time and so are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-arphic-uming, fonts-liberation2 | fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
include(CPack)
