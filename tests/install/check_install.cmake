# Installs the build into a fresh temporary prefix and checks what landed there: the programs run from
# it, and the desktop entry, icons, documentation, manual pages and bash completion are where the
# desktop, dpkg, man and bash look for them.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder to use> [-DWITH_GUI=ON] -P check_install.cmake

cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(doc share/doc/torv-data-loader)
set(man share/man/man1)
set(expected bin/torvctl bin/torvsim ${doc}/README.md ${doc}/sim/README.md ${doc}/copyright
             ${doc}/changelog.gz ${doc}/docs/main-window.png ${man}/torvctl.1.gz ${man}/torvsim.1.gz
             share/bash-completion/completions/torvctl)
if(WITH_GUI)
    list(APPEND expected bin/torvloader share/applications/torvloader.desktop ${man}/torvloader.1.gz)
    foreach(size 16 24 32 48 64 128 256)
        list(APPEND expected share/icons/hicolor/${size}x${size}/apps/torvloader.png)
    endforeach()
endif()

# Each file is there, the manual pages are whole gzip files, and only pictures sit beside the README.
foreach(path ${expected})
    if(NOT EXISTS ${PREFIX}/${path})
        message(SEND_ERROR "missing after install: ${path}")
    elseif(path MATCHES "\\.gz$")
        execute_process(COMMAND gzip -t ${PREFIX}/${path} RESULT_VARIABLE result ERROR_VARIABLE out)
        if(NOT result EQUAL 0)
            message(SEND_ERROR "${path} is not a whole gzip file: ${out}")
        endif()
    endif()
endforeach()
if(EXISTS ${PREFIX}/${doc}/docs/man)
    message(SEND_ERROR "the manual pages' sources were installed with the README's pictures")
endif()

# The programs run from the prefix, away from the build folder.
execute_process(COMMAND ${PREFIX}/bin/torvctl --version RESULT_VARIABLE result OUTPUT_VARIABLE out)
if(NOT result EQUAL 0 OR NOT out MATCHES "^torvctl [0-9]+\\.[0-9]+")
    message(SEND_ERROR "torvctl --version gave ${result}: ${out}")
endif()
execute_process(COMMAND ${PREFIX}/bin/torvsim --help RESULT_VARIABLE result OUTPUT_VARIABLE out)
if(NOT result EQUAL 0 OR NOT out MATCHES "--wire-time")
    message(SEND_ERROR "torvsim --help gave ${result}: ${out}")
endif()
if(WITH_GUI)
    file(STRINGS ${PREFIX}/share/applications/torvloader.desktop entry)
    if(NOT "Exec=torvloader" IN_LIST entry OR NOT "Icon=torvloader" IN_LIST entry)
        message(SEND_ERROR "the desktop entry does not start torvloader with its icon: ${entry}")
    endif()
endif()
file(REMOVE_RECURSE ${PREFIX})
