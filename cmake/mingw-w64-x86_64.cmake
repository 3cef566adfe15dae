# Cross-builds for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DTORV_BUILD_GUI=OFF -DTORV_BUILD_BENCH=OFF
# The programs link the C and C++ runtimes statically, so they run without DLLs beside them. Tests run
# under wine64 when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TORV_MINGW_PREFIX x86_64-w64-mingw32)
# The posix thread model: the C++ standard library's threads and mutexes work as on Linux.
find_program(CMAKE_CXX_COMPILER NAMES ${TORV_MINGW_PREFIX}-g++-posix ${TORV_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${TORV_MINGW_PREFIX}-gcc-posix ${TORV_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TORV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TORV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine64 keeps its loader out of PATH.
find_program(TORV_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TORV_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TORV_WINE64})
endif()
