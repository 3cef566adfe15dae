# The portable zip for testers on Windows, torv-data-loader-VERSION-windows-x64.zip (the target
# windows_zip, or cpack in the build folder): the two programs, the README with its pictures, and the
# licences, in one folder. Qt is linked into torvloader.exe statically, which suits a test build only:
# a release for users links Qt's DLLs (LGPL-3), which windeployqt copies beside the program (README,
# "Windows").
install(TARGETS torvctl RUNTIME DESTINATION .)
if(TORV_BUILD_GUI)
    install(TARGETS torvloader RUNTIME DESTINATION .)
endif()
install(FILES README.md DESTINATION .)
install(DIRECTORY docs/ DESTINATION docs FILES_MATCHING PATTERN "*.png" PATTERN man EXCLUDE)
install(FILES packaging/copyright DESTINATION licences RENAME torv-data-loader.txt)
if(TORV_BUILD_GUI)
    # The Qt inside is built from Debian's qt6-base source (tools/qt-mingw.sh): its copyright file lists
    # Qt's licences and those of the libraries bundled in it.
    foreach(licence /usr/share/doc/qt6-base-dev/copyright:qt6-base.txt /usr/share/common-licenses/LGPL-3:LGPL-3.txt
                    /usr/share/common-licenses/GPL-3:GPL-3.txt)
        string(REPLACE ":" ";" licence ${licence})
        list(GET licence 0 source)
        list(GET licence 1 name)
        if(EXISTS ${source})
            install(FILES ${source} DESTINATION licences RENAME ${name})
        else()
            message(WARNING "${source} is missing: the Windows zip goes without ${name}")
        endif()
    endforeach()
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME torv-data-loader)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "TORV Data Loader developers")
set(CPACK_PACKAGE_FILE_NAME torv-data-loader-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
add_custom_target(windows_zip
    COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Packing torv-data-loader-${PROJECT_VERSION}-windows-x64.zip"
    VERBATIM)
add_dependencies(windows_zip torvctl)
if(TORV_BUILD_GUI)
    add_dependencies(windows_zip torvloader)
endif()
