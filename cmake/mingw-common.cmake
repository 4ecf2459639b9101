# The parts of a MinGW-w64 cross build that do not depend on the processor;
# the toolchain files set CMAKE_SYSTEM_PROCESSOR and MINGW_PREFIX first.
set(CMAKE_SYSTEM_NAME Windows)

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
