# `cmake --build build --target package` packs the installed tree into a .deb. The Qt and C++ runtime
# dependencies come from dpkg-shlibdeps, so they follow whatever the build linked against.
set(TORV_PACKAGE_MAINTAINER "TORV Data Loader developers <torv-data-loader@example.com>"
    CACHE STRING "Maintainer named in the .deb")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TORV_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "TORV Data Loader developers")
set(CPACK_PACKAGE_CONTACT ${TORV_PACKAGE_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TORV_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "communication tool for the TORV character-recognition sensor
Backs up, edits and restores the parameter banks of a TORV sensor over a
serial line, exports them as a CSV sheet and sets the sensor's calendar.

The package holds the desktop tool (torvloader), a command-line tool for
scripts and headless PCs (torvctl) and a simulated sensor on a
pseudo-terminal (torvsim) for trying every feature without hardware.")
include(CPack)
