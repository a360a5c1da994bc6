# The Debian package of everything `cmake --install` puts in place: `cpack -G DEB` in the build
# folder (scripts/package does it). Its dependencies are found from the programs' libraries by
# dpkg-shlibdeps, so they follow the Qt the package was built against.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kilnwatch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "kilnwatch developers")
set(CPACK_PACKAGE_CONTACT "kilnwatch developers <kilnwatch@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "supervise heat-treating controller units over a serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "kilnwatch connects one farm of heat-treating controller units at a time
over the PC's serial port, directly or through a modem. It polls every unit
once a second, shows each unit's mode and its core and chamber temperatures,
switches units between Standby and Run, sounds an alarm tone, and keeps a
minute-by-minute CSV record of every running unit.
.
The package holds the desktop program in English (kilnwatch) and Spanish
(kilnwatch-es), the monitor without a window (kilnmon), the farm simulator
for training (kilnsim), and the log tools logsort, logsplit, logdump, logcsv,
logdumpsplit and logtreat.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kilnwatch.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Certificates embed the DejaVu fonts, read from their files.
if(TARGET certificate)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders as Debian wants them whatever the packager's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/deb)
include(CPack)
