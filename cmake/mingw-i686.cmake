# Cross-compiles z80home for 32-bit Windows with Debian's MinGW-w64 i686
# compilers (package g++-mingw-w64-i686):
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
#
# The posix flavour of the compiler is the one whose C++ library has
# std::mutex. Its runtime libraries (libgcc, libstdc++, winpthread) are linked
# into each DLL and the host, so they import only system DLLs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
