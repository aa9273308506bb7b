# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 GCC (posix thread variant: Qt
# needs std::thread). Programs built with it run under wine when CMake or ctest runs them
# (test discovery, custom commands that name their target, tests).
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake
#
# Wine keeps its state in WINEPREFIX: the prefix of the configure's environment is kept in
# the emulator command, so later builds and ctest runs use the same one; without it, the build
# folder's "wine" subfolder (never ~/.wine). Libraries, headers and packages are searched only
# under CMAKE_FIND_ROOT_PATH: a folder of other Windows libraries (a Qt built for MinGW, say)
# goes into it on the command line, and into CMAKE_PREFIX_PATH too:
#   -DCMAKE_FIND_ROOT_PATH=/path/to/qt -DCMAKE_PREFIX_PATH=/path/to/qt
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORIDA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORIDA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORIDA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VORIDA_MINGW_TRIPLET}-windres)
set(CMAKE_AR /usr/bin/${VORIDA_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${VORIDA_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VORIDA_MINGW_TRIPLET})
list(REMOVE_DUPLICATES CMAKE_FIND_ROOT_PATH)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(DEFINED ENV{WINEPREFIX} AND NOT "$ENV{WINEPREFIX}" STREQUAL "")
    set(_vorida_wineprefix "$ENV{WINEPREFIX}")
else()
    set(_vorida_wineprefix "${CMAKE_BINARY_DIR}/wine")
endif()
# scripts/wine-run.sh runs wine with a fixed address-space layout and names a failure; of wine's
# own messages only the memory manager's errors are shown (a failed start says why).
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env WINEPREFIX=${_vorida_wineprefix} WINEDEBUG=-all,err+virtual
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
