# Windows: the core unit tests that need neither a pseudo-terminal nor torvsim, in one executable run
# whole (under wine64 on a Linux build machine). A test file or helper is left out by what it
# includes: a POSIX header, the simulator, the POSIX backend, or a helper that is left out itself. New
# portable tests join by themselves.
set(TORV_POSIX_ONLY_INCLUDE
    "#include (<(unistd|poll|fcntl|pty|termios|pwd|grp)\\.h>|<(sys|asm|linux)/|\"(sim|link/posix)/)")

function(torv_portable_sources out)
    set(portable)
    foreach(source ${ARGN})
        file(STRINGS ${source} posix_includes REGEX "${TORV_POSIX_ONLY_INCLUDE}")
        if(NOT posix_includes)
            list(APPEND portable ${source})
        endif()
    endforeach()
    set(${out} ${portable} PARENT_SCOPE)
endfunction()

file(GLOB support_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
file(GLOB unit_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/unit/*.cpp)
torv_portable_sources(portable_support ${support_sources})
set(posix_helpers)
foreach(source ${support_sources})
    if(NOT source IN_LIST portable_support)
        get_filename_component(name ${source} NAME_WE)
        list(APPEND posix_helpers ${name})
    endif()
endforeach()
list(JOIN posix_helpers "|" posix_helper_names)
string(APPEND TORV_POSIX_ONLY_INCLUDE "|#include \"tests/support/(${posix_helper_names}|simulated_sensor|sim_files)\\.h\"")
torv_portable_sources(portable_units ${unit_sources})

add_library(torv_test_support STATIC ${portable_support})
target_include_directories(torv_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
target_link_libraries(torv_test_support PUBLIC torvcore torv_app_settings GTest::gtest PRIVATE torv_warnings)

add_executable(unit_tests ${portable_units})
target_link_libraries(unit_tests PRIVATE torv_test_support GTest::gtest_main torv_warnings)

# One run for the whole executable: starting wine once per test case would cost more than the tests.
# A prefix of its own in the build folder keeps the run away from the user's wine setup; wine's
# offers to install Mono and Gecko are switched off.
set(wine_environment "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
add_test(NAME windows.unit_tests COMMAND unit_tests --gtest_brief=1)
set_tests_properties(windows.unit_tests PROPERTIES TIMEOUT 600 RESOURCE_LOCK wine_prefix ENVIRONMENT "${wine_environment}")

# With a Linux build of the same tree beside it (TORV_HOST_BUILD, the folder holding sim/torvsim and
# cli/torvctl), torvctl.exe also runs against torvsim through wine's COM port.
set(TORV_HOST_BUILD "" CACHE PATH "A Linux build of this tree, for torvsim")
if(TORV_HOST_BUILD AND CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME windows.torvctl_under_wine
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/torvctl_under_wine.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                     $<TARGET_FILE:torvctl> ${TORV_HOST_BUILD}/sim/torvsim ${TORV_HOST_BUILD}/cli/torvctl)
    set_tests_properties(windows.torvctl_under_wine PROPERTIES TIMEOUT 120 RESOURCE_LOCK wine_prefix ENVIRONMENT
        "${wine_environment}")
endif()

# The desktop tool's windows, when it is built and torvsim is there to talk to.
if(TORV_BUILD_GUI AND TORV_HOST_BUILD AND CMAKE_CROSSCOMPILING_EMULATOR)
    include(${CMAKE_CURRENT_LIST_DIR}/gui_tests.cmake)
endif()
