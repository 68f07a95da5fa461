# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads flavour).
# The programs link the C and C++ runtimes statically: nothing to ship beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VOKDAR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VOKDAR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VOKDAR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VOKDAR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VOKDAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under wine, in a wine prefix of the build's own.
find_program(VOKDAR_WINE wine)
if(VOKDAR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all ${VOKDAR_WINE})
endif()
