# Installation rules.
#
#   cmake --install build --prefix /usr/local
#
# installs under the prefix:
#   bin/tnwk_syslog
#   share/man/man1/tnwk_syslog.1
#   share/tarnwick/            the name cache schemas and the example
#                              report definitions
#   share/doc/tnwk-syslog/     the report definition guide, the example
#                              logs, and the copyright notice
#
# The Debian package (debian/) installs the same files under /usr through
# these rules; debhelper compresses the manual page and the guide there.
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
