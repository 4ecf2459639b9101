# Cross-compiles z80home for 64-bit Windows with Debian's MinGW-w64 x86-64
# compilers (package g++-mingw-w64-x86-64-posix). The product is the 32-bit
# build (mingw-i686.cmake); this one lets the Wine check run on a machine
# whose kernel cannot execute 32-bit programs, so Wine there is 64-bit only.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
