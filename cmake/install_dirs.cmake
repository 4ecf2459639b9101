# Where `cmake --install` puts things. On Linux the usual tree: programs in
# bin/, the libraries in lib/<multiarch>/z80home/ (private to the hosts,
# which load them by path, where Debian keeps a package's plug-ins: no other
# program links them, so the loader's cache need not know them), headers in
# include/z80home/, the ROM images and the debugger's listing in
# share/z80home/, the manual pages in share/man/man1/, the documents in
# share/doc/z80home/. On Windows one folder: the program, its DLLs, the ROM images and the documents side
# by side (the DLLs must sit beside the program), headers in include/.
#
# The programs find the libraries and the ROM images relative to their own
# folder (Z80HOME_LIBRARY_FROM_PROGRAM, Z80HOME_ROM_FROM_PROGRAM), and the
# libraries find each other through a relative run path, so an installed
# tree works wherever it is unpacked.
include(GNUInstallDirs)
if(WIN32)
    set(Z80HOME_INSTALL_BINDIR .)
    set(Z80HOME_INSTALL_LIBDIR .)
    set(Z80HOME_INSTALL_ROMDIR .)
    set(Z80HOME_INSTALL_DOCDIR .)
else()
    set(Z80HOME_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
    set(Z80HOME_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/z80home)
    string(REPLACE "//" "/" Z80HOME_INSTALL_LIBDIR ${Z80HOME_INSTALL_LIBDIR})
    set(Z80HOME_INSTALL_ROMDIR ${CMAKE_INSTALL_DATADIR}/z80home)
    set(Z80HOME_INSTALL_DOCDIR ${CMAKE_INSTALL_DOCDIR})
endif()
set(Z80HOME_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/z80home)

file(RELATIVE_PATH Z80HOME_LIBRARY_FROM_PROGRAM /${Z80HOME_INSTALL_BINDIR} /${Z80HOME_INSTALL_LIBDIR})
file(RELATIVE_PATH Z80HOME_ROM_FROM_PROGRAM /${Z80HOME_INSTALL_BINDIR} /${Z80HOME_INSTALL_ROMDIR})
foreach(relative Z80HOME_LIBRARY_FROM_PROGRAM Z80HOME_ROM_FROM_PROGRAM)
    if(${relative} STREQUAL "")
        set(${relative} .)
    endif()
endforeach()
# Programs in bin/ reach the libraries this way; the libraries find each
# other beside themselves (cmake/packaging.cmake).
if(NOT WIN32 AND NOT APPLE)
    set(CMAKE_INSTALL_RPATH "$ORIGIN/${Z80HOME_LIBRARY_FROM_PROGRAM}")
endif()
