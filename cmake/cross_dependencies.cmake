# A cross-build takes its header-only and source-only dependencies from the build machine's Debian
# packages: CLI11's and nlohmann/json's headers (libcli11-dev, nlohmann-json3-dev) and GoogleTest's sources (googletest, /usr/src/googletest).
# The CLI11 headers are copied apart, so the cross-compiler never searches the build machine's
# /usr/include (its C library headers are not the target's).

find_path(TORV_HOST_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(COPY ${TORV_HOST_CLI11_INCLUDE}/CLI DESTINATION ${CMAKE_BINARY_DIR}/host-headers)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 INTERFACE ${CMAKE_BINARY_DIR}/host-headers)

# nlohmann/json's headers (nlohmann-json3-dev) the same way.
find_path(TORV_HOST_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(COPY ${TORV_HOST_JSON_INCLUDE}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/host-headers)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${CMAKE_BINARY_DIR}/host-headers)

# GoogleTest is built for the target like our own code (only what the tests link is built).
macro(torv_add_googletest_from_source)
    set(TORV_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TORV_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endmacro()
