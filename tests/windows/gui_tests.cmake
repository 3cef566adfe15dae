# Windows: the desktop tool's windows under Qt Test, on wine's offscreen platform. The simulated sensor
# is the Linux build's torvsim (TORV_HOST_BUILD), which sim_process_wine.cpp starts through wine; the
# command-line tool the tests hold the windows against is this build's torvctl.exe.
set(gui_support
    ${CMAKE_CURRENT_SOURCE_DIR}/gui/support/gui_harness.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/gui/support/scripted_prompts.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/support/simulated_sensor.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/support/sim_files.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/sim_process_wine.cpp)
add_library(torv_gui_test_support STATIC ${gui_support})
target_link_libraries(torv_gui_test_support PUBLIC torv_test_support torvgui Qt6::Test PRIVATE torv_warnings)
target_compile_definitions(torv_gui_test_support PUBLIC
    TORVSIM_PATH="${TORV_HOST_BUILD}/sim/torvsim"
    TORVCTL_PATH="$<TARGET_FILE:torvctl>")
set_target_properties(torv_gui_test_support PROPERTIES AUTOMOC ON)

# Every test file, each its own program; they take turns in the one wine prefix.
file(GLOB gui_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/gui/*_test.cpp)
set(wine_environment "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
foreach(source ${gui_tests})
    get_filename_component(name ${source} NAME_WE)
    add_executable(gui_${name} ${source})
    target_link_libraries(gui_${name} PRIVATE torv_gui_test_support nlohmann_json::nlohmann_json torv_warnings)
    set_target_properties(gui_${name} PROPERTIES AUTOMOC ON)
    # A static Qt links the plugins a program names: the tests run on the offscreen platform.
    qt_import_plugins(gui_${name} INCLUDE Qt6::QOffscreenIntegrationPlugin)
    add_dependencies(gui_${name} torvctl)
    add_test(NAME windows.gui.${name} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/run_under_wine.sh
             ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:gui_${name}>)
    set_tests_properties(windows.gui.${name} PROPERTIES TIMEOUT 600 RESOURCE_LOCK wine_prefix
        ENVIRONMENT "${wine_environment}")
endforeach()
