# What `cmake --install` puts in place: the three programs, the desktop entry and its icons, the
# documentation, the manual pages and torvctl's bash completion. CPack packs the same tree into a
# .deb (cmake/package.cmake).
include(GNUInstallDirs)

if(WIN32)
    # On Windows the installed tree is the portable zip's, with a layout of its own.
    include(${CMAKE_CURRENT_LIST_DIR}/windows_package.cmake)
    return()
endif()

set(TORV_PACKAGE_NAME torv-data-loader)
set(TORV_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${TORV_PACKAGE_NAME})

install(TARGETS torvctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET torvsim)
    install(TARGETS torvsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TORV_BUILD_GUI)
    install(TARGETS torvloader RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES resources/torvloader.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    foreach(size 16 24 32 48 64 128 256)
        install(FILES resources/icons/${size}x${size}/torvloader.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
endif()

# The README's pictures keep their place beside it, so its links work in the installed copy.
install(FILES README.md DESTINATION ${TORV_DOC_DIR})
install(DIRECTORY docs/ DESTINATION ${TORV_DOC_DIR}/docs FILES_MATCHING PATTERN "*.png" PATTERN man EXCLUDE)
install(FILES sim/README.md DESTINATION ${TORV_DOC_DIR}/sim)
install(FILES packaging/copyright DESTINATION ${TORV_DOC_DIR})
install(FILES resources/completion/torvctl.bash RENAME torvctl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Debian wants the change log compressed at the highest level, without a time stamp in it.
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM)
    set(changelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog)
    set(compressed_changelog ${changelog}.gz)
    add_custom_command(
        OUTPUT ${compressed_changelog}
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog ${changelog}
        COMMAND ${GZIP_PROGRAM} -9nf ${changelog}
        DEPENDS packaging/changelog
        VERBATIM)
    add_custom_target(torv_changelog ALL DEPENDS ${compressed_changelog})
    install(FILES ${compressed_changelog} DESTINATION ${TORV_DOC_DIR})

    # The manual pages, compressed the same way.
    set(man_pages torvctl.1)
    if(TARGET torvsim)
        list(APPEND man_pages torvsim.1)
    endif()
    if(TORV_BUILD_GUI)
        list(APPEND man_pages torvloader.1)
    endif()
    set(compressed_pages)
    foreach(page ${man_pages})
        set(copy ${CMAKE_CURRENT_BINARY_DIR}/man/${page})
        add_custom_command(
            OUTPUT ${copy}.gz
            COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/docs/man/${page} ${copy}
            COMMAND ${GZIP_PROGRAM} -9nf ${copy}
            DEPENDS docs/man/${page}
            VERBATIM)
        list(APPEND compressed_pages ${copy}.gz)
    endforeach()
    add_custom_target(torv_man_pages ALL DEPENDS ${compressed_pages})
    install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
