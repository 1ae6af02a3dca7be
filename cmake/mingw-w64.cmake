# Cross-building for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix: the
# POSIX thread model, which std::thread and std::mutex need):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DHJ_HOST_TOOLS_DIR=<native build>/tools
# Tests run under wine (CMAKE_CROSSCOMPILING_EMULATOR), so ctest runs the same list as on Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(HJ_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HJ_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HJ_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${HJ_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${HJ_MINGW})
# A folder of libraries built for Windows (the Qt that scripts/build-qt-mingw.sh makes, with its
# zlib and libpng) is searched first, pkg-config included. Taken from the environment too, so that
# CMake's trial compilations see it.
if(NOT HJ_MINGW_PREFIX AND DEFINED ENV{HJ_MINGW_PREFIX})
  set(HJ_MINGW_PREFIX $ENV{HJ_MINGW_PREFIX})
endif()
if(HJ_MINGW_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${HJ_MINGW_PREFIX})
  set(ENV{HJ_MINGW_PREFIX} ${HJ_MINGW_PREFIX})
  set(ENV{PKG_CONFIG_LIBDIR} ${HJ_MINGW_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The runtime libraries are linked in, so that the programs run from any folder (and under wine)
# without the compiler's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
