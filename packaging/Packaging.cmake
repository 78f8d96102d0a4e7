# Installation layout and the Debian package.
#
#   bin/kdv578                 launcher: picks the working directory, then
#                              starts the program (it reads its screen
#                              definition files from the current directory)
#   libexec/kdv578/kdv578      the program
#   bin/kdv578-sim             the receiver simulator
#   share/kdv578/*.scn         the screen definition files
#   share/man/man1/kdv578.1.gz the manual page
#   share/doc/kdv578/          README.md

include(GNUInstallDirs)

set(KDV578_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/kdv578)
set(KDV578_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kdv578)

install(TARGETS kdv578 RUNTIME DESTINATION ${KDV578_INSTALL_PROGRAM_DIR})
if(TARGET kdv578-sim)
  install(TARGETS kdv578-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${KDV578_DATA} DESTINATION ${KDV578_INSTALL_DATA_DIR})

# The launcher finds the program and the data relative to its own place, so
# an installation can be moved (cmake --install --prefix anywhere).
file(RELATIVE_PATH KDV578_LAUNCHER_TO_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/kdv578/kdv578)
file(RELATIVE_PATH KDV578_LAUNCHER_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/kdv578)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kdv578.sh.in ${CMAKE_CURRENT_BINARY_DIR}/launcher/kdv578 @ONLY)
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/launcher/kdv578 DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages are shipped compressed (gzip -n: no time stamp, so the package
# builds reproducibly).
set(KDV578_MAN_GZ ${CMAKE_CURRENT_BINARY_DIR}/doc/kdv578.1.gz)
add_custom_command(OUTPUT ${KDV578_MAN_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/doc
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/doc/kdv578.1 > ${KDV578_MAN_GZ}
  DEPENDS ${PROJECT_SOURCE_DIR}/doc/kdv578.1
  VERBATIM)
add_custom_target(kdv578_man ALL DEPENDS ${KDV578_MAN_GZ})
install(FILES ${KDV578_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# cpack (in build/) makes kdv578_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kdv578)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration console for KDV 578 Modbus multiplexers")
set(CPACK_PACKAGE_DESCRIPTION
    "Full-screen terminal program with which a commissioning engineer configures a KDV 578 receiver and its field transmitters over an RS-232 line: upload, edit, download, copy, save and load configurations, print a report, watch live readings. Includes a receiver simulator (kdv578-sim).")
set(CPACK_PACKAGE_CONTACT "KDV 578 console maintainers <kdv578@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Library dependencies (ncursesw, libstdc++, libc) with their versions as
# dpkg-shlibdeps (package dpkg-dev) finds them in the binaries; without it,
# the libraries the program links by name.
find_program(KDV578_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KDV578_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, libncursesw6, libtinfo6")
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
