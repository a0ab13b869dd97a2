# Cross build for 64-bit Windows with the MinGW-w64 compilers
# (Debian: g++-mingw-w64-x86-64, binutils-mingw-w64-x86-64).
#   cmake --preset windows            or
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(HOLVANE_MINGW_PREFIX x86_64-w64-mingw32)

# The POSIX-thread flavour: its libstdc++ has std::thread and std::mutex,
# which the win32 flavour of this compiler generation lacks. Everything is
# linked statically, so neither flavour adds a DLL to ship.
find_program(HOLVANE_MINGW_CXX NAMES ${HOLVANE_MINGW_PREFIX}-g++-posix ${HOLVANE_MINGW_PREFIX}-g++
             REQUIRED)
find_program(HOLVANE_MINGW_WINDRES NAMES ${HOLVANE_MINGW_PREFIX}-windres REQUIRED)
set(CMAKE_CXX_COMPILER ${HOLVANE_MINGW_CXX})
set(CMAKE_RC_COMPILER ${HOLVANE_MINGW_WINDRES})

set(CMAKE_FIND_ROOT_PATH /usr/${HOLVANE_MINGW_PREFIX})
# Programs run on the build machine; libraries and headers come from the
# target's sysroot only.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs built here run under Wine.
find_program(HOLVANE_WINE NAMES wine wine64)
if(HOLVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${HOLVANE_WINE})
endif()
