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

# Every test file, each its own program; they take turns in the one wine prefix. They run on the
# smallest screen a Windows PC has, 1366 x 768 (the Windows style is wider than Linux's: on Qt's
# 800-pixel default screen the parameter editor cannot fit). The platform's options are split at ':',
# and a Windows path holds one: the screen's file is named relative to the build folder.
file(RELATIVE_PATH screen ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/gui/small_screen.json)
file(GLOB gui_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/gui/*_test.cpp)
foreach(source ${gui_tests})
    get_filename_component(name ${source} NAME_WE)
    add_executable(gui_${name} ${source})
    target_link_libraries(gui_${name} PRIVATE torv_gui_test_support nlohmann_json::nlohmann_json torv_warnings)
    set_target_properties(gui_${name} PROPERTIES AUTOMOC ON)
    # A static Qt links the plugins a program names: the tests run on the offscreen platform.
    qt_import_plugins(gui_${name} INCLUDE Qt6::QOffscreenIntegrationPlugin)
    add_dependencies(gui_${name} torvctl)
    add_test(NAME windows.gui.${name} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/run_under_wine.sh
             ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:gui_${name}> -platform offscreen:configfile=${screen})
    set_tests_properties(windows.gui.${name} PROPERTIES TIMEOUT 600 RESOURCE_LOCK wine_prefix
        ENVIRONMENT "${wine_environment}")
endforeach()

# The editors on that screen at 125 %: they fit, room left for the window frame.
foreach(name_and_slot pedit_test:fitsTheScreenAndKeysCloseNothing dic_dlg_test:fitsTheScreenKeysCloseNothingAndCancelAsks)
    string(REPLACE ":" ";" name_and_slot ${name_and_slot})
    list(GET name_and_slot 0 name)
    list(GET name_and_slot 1 slot)
    add_test(NAME windows.gui.${name}.small_screen COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/run_under_wine.sh
             ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:gui_${name}> QT_SCALE_FACTOR=1.25
             -platform offscreen:configfile=${screen} ${slot})
    set_tests_properties(windows.gui.${name}.small_screen PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine_prefix
        ENVIRONMENT "${wine_environment}")
endforeach()
