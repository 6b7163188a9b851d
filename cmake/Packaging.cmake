# Installation and the Debian package.
#
#   cmake --install build --prefix /usr/local
#   cpack --config build/CPackConfig.cmake -G DEB -B out
#
# installs, or packs under /usr:
#   bin/tnwk_syslog
#   share/man/man1/tnwk_syslog.1
#   share/tarnwick/            the name cache schemas and the example
#                              report definitions
#   share/doc/tnwk-syslog/     the report definition guide, the example
#                              logs, and the copyright notice
include(GNUInstallDirs)

set(TNWK_PACKAGE_NAME tnwk-syslog)
set(TNWK_DATA_DIR ${CMAKE_INSTALL_DATADIR}/tarnwick)
set(TNWK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${TNWK_PACKAGE_NAME})

install(TARGETS tnwk_syslog RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/tnwk_syslog.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/sql/cache-int.sql
              ${PROJECT_SOURCE_DIR}/sql/cache-bin.sql
        DESTINATION ${TNWK_DATA_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
        DESTINATION ${TNWK_DATA_DIR}
        FILES_MATCHING PATTERN "*.def")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
        DESTINATION ${TNWK_DOC_DIR}/examples
        FILES_MATCHING PATTERN "*.log")
install(FILES ${PROJECT_SOURCE_DIR}/docs/report-definition.md
              ${PROJECT_SOURCE_DIR}/docs/copyright
        DESTINATION ${TNWK_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TNWK_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "the tarnwick developers")
set(CPACK_PACKAGE_CONTACT "tarnwick developers <dev@tarnwick.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "back-end log file parser of the tarnwick firewall log analyzer")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION
    "tnwk_syslog reads firewall logs of nine dialects (netfilter, ipchains,
ipfilter, ipfw, Cisco IOS, Cisco PIX/FWSM, NetScreen, snort, Windows XP
firewall), plain or gzip-compressed, selects, aggregates and sorts their
packet-log lines as a report definition asks, and writes a tab-separated
report for the tarnwick web front end. It shares a MySQL/MariaDB name
cache with the front end; the package carries the cache schema.")
# The dependencies come from the libraries the program actually links
# (dpkg-shlibdeps), so a new library needs no change here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
