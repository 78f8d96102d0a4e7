# Installation layout and the Debian package.
#
#   bin/kdv578                 launcher: picks the working directory, then
#                              starts the program (it reads its screen
#                              definition files from the current directory)
#   libexec/kdv578/kdv578      the program
#   bin/kdv578-sim             the receiver simulator
#   bin/kdv578ctl              the scripted companion (finds the message
#                              texts of its report in ../share/kdv578)
#   share/kdv578/*.scn         the screen definition files
#   share/man/man1/kdv578.1.gz, kdv578-sim.1.gz, kdv578ctl.1.gz  the manual pages
#   share/doc/kdv578/          README.md, copyright, changelog.gz

include(GNUInstallDirs)

set(KDV578_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/kdv578)
set(KDV578_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kdv578)

install(TARGETS kdv578 RUNTIME DESTINATION ${KDV578_INSTALL_PROGRAM_DIR})
if(TARGET kdv578-sim)
  install(TARGETS kdv578-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS kdv578ctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KDV578_DATA} DESTINATION ${KDV578_INSTALL_DATA_DIR})

# The launcher finds the program and the data relative to its own place, so
# an installation can be moved (cmake --install --prefix anywhere).
file(RELATIVE_PATH KDV578_LAUNCHER_TO_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/kdv578/kdv578)
file(RELATIVE_PATH KDV578_LAUNCHER_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/kdv578)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kdv578.sh.in ${CMAKE_CURRENT_BINARY_DIR}/launcher/kdv578 @ONLY)
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/launcher/kdv578 DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages and the changelog are shipped compressed (gzip -n: no time
# stamp, so the package builds reproducibly). A package version without a
# revision (4.11) makes a native package, whose Debian changelog is
# changelog.gz.
set(KDV578_GZ_DIR ${CMAKE_CURRENT_BINARY_DIR}/doc)
file(MAKE_DIRECTORY ${KDV578_GZ_DIR})
set(KDV578_GZ_FILES)
foreach(source doc/kdv578.1 doc/kdv578-sim.1 doc/kdv578ctl.1 packaging/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${KDV578_GZ_DIR}/${name}.gz
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${source} > ${KDV578_GZ_DIR}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
  list(APPEND KDV578_GZ_FILES ${KDV578_GZ_DIR}/${name}.gz)
endforeach()
add_custom_target(kdv578_docs ALL DEPENDS ${KDV578_GZ_FILES})
install(FILES ${KDV578_GZ_DIR}/kdv578.1.gz ${KDV578_GZ_DIR}/kdv578-sim.1.gz ${KDV578_GZ_DIR}/kdv578ctl.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${KDV578_GZ_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# cpack (in build/) makes kdv578_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kdv578)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration console for KDV 578 Modbus multiplexers")
# The extended description, in lines of at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A full-screen, keyboard-driven terminal program with which a commissioning"
  "engineer configures and checks a KDV 578 Modbus multiplexer (the receiver)"
  "and up to four field transmitters over one RS-232 line: upload, edit online"
  "or offline, download, copy, save and load configuration files, print a"
  "configuration report, watch live readings and read diagnostics."
  ""
  "Includes a receiver simulator on a pseudo-terminal (kdv578-sim), to try the"
  "console and test against faults without hardware, and kdv578ctl, which"
  "converts configurations to and from a reviewable text format (TOML),"
  "compares, shows and reports them from scripts, and on a receiver uploads,"
  "downloads and verifies configurations, reads and sets single settings,"
  "monitors live readings as CSV, reads diagnostics and signs off, journalling"
  "every change it sends.")
set(CPACK_PACKAGE_CONTACT "KDV 578 console maintainers <kdv578@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Library dependencies (ncursesw, toml++, libstdc++, libc) with their versions as
# dpkg-shlibdeps (package dpkg-dev) finds them in the binaries; without it,
# the libraries the program links by name.
find_program(KDV578_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KDV578_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, libncursesw6, libtinfo6, libtomlplusplus3")
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
