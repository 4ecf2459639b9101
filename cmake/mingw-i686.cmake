# Cross-compiles z80home for 32-bit Windows with Debian's MinGW-w64 i686
# compilers (package g++-mingw-w64-i686):
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
#
# The posix flavour of the compiler is the one whose C++ library has
# std::mutex. Its runtime libraries (libgcc, libstdc++, winpthread) are linked
# into each DLL and the host, so they import only system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -Wl,--disable-stdcall-fixup")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# No tests or benchmarks in a Windows build: they run natively on Linux.
set(Z80HOME_TESTS OFF CACHE BOOL "Build the tests")
set(Z80HOME_BENCH OFF CACHE BOOL "Build the benchmarks")
