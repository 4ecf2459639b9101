# The install rules and the packages made from them: a Debian package on
# Linux (cpack -G DEB: z80home_<version>_amd64.deb) and a zip on Windows
# (cpack -G ZIP in the MinGW build: z80home-<version>-win32.zip). The
# manual's installation page (docs/installing.md) lists what each holds; CI checks both
# against it (scripts/package.sh, scripts/windows.sh).
if(EMSCRIPTEN)
    return()
endif()

set(z80home_libraries z80core z80home z80home-plus)
if(NOT WIN32)
    list(APPEND z80home_libraries winshim)
endif()
# A DLL's import library is left out: hosts load the emulator by name.
if(NOT WIN32)
    set_target_properties(${z80home_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()
install(TARGETS ${z80home_libraries}
    RUNTIME DESTINATION ${Z80HOME_INSTALL_BINDIR}
    LIBRARY DESTINATION ${Z80HOME_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${Z80HOME_INSTALL_LIBDIR} COMPONENT import EXCLUDE_FROM_ALL)
foreach(program z80home-desktop z80home-headless z80home_win)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${Z80HOME_INSTALL_BINDIR})
    endif()
endforeach()

# The headers keep the folders their #include lines name; on Linux the
# Win32 subset the interface is written in comes with them (its windows.h
# and the window API of winshim_host.h), so -I<prefix>/include/z80home is
# the one include folder a host needs.
install(FILES core/z80home.h DESTINATION ${Z80HOME_INSTALL_INCLUDEDIR}/core)
install(FILES plus/z80home_plus.h plus/z80home_debug.h DESTINATION ${Z80HOME_INSTALL_INCLUDEDIR}/plus)
install(FILES record/z80home_record.h DESTINATION ${Z80HOME_INSTALL_INCLUDEDIR}/record)
install(FILES z80/z80.h DESTINATION ${Z80HOME_INSTALL_INCLUDEDIR}/z80)
if(NOT WIN32)
    install(FILES platform/include/windows.h platform/include/winshim_host.h
        DESTINATION ${Z80HOME_INSTALL_INCLUDEDIR})
endif()

if(TARGET roms)
    install(FILES ${Z80HOME_ROM_DIR}/n80basic.rom ${Z80HOME_ROM_DIR}/font.rom
        ${Z80HOME_ROM_DIR}/n80basic.sym ${Z80HOME_ROM_DIR}/n80basic.lst
        DESTINATION ${Z80HOME_INSTALL_ROMDIR})
endif()
# The README, and the manual beside it where its links lead.
install(FILES README.md LICENSE DESTINATION ${Z80HOME_INSTALL_DOCDIR})
install(DIRECTORY docs DESTINATION ${Z80HOME_INSTALL_DOCDIR})

# The one maintainer, named in the package and its changelog.
set(Z80HOME_MAINTAINER "the z80home developers <z80home@example.org>")
# Debian's documents of a package: the copyright file in the
# machine-readable format, the changelog (its one entry is this version,
# dated by SOURCE_DATE_EPOCH when set) and the hosts' manual pages
# (host/CMakeLists.txt), each compressed as Debian wants (gzip -9n), and
# lintian's overrides.
if(NOT WIN32)
    find_program(GZIP gzip REQUIRED)
    string(TIMESTAMP Z80HOME_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
    set(changelog ${CMAKE_BINARY_DIR}/debian/changelog)
    configure_file(cmake/debian/changelog.in ${changelog} @ONLY)
    add_custom_command(OUTPUT ${changelog}.gz
        COMMAND ${GZIP} -9nkf ${changelog}
        DEPENDS ${changelog}
        VERBATIM)
    add_custom_target(debian_documents ALL DEPENDS ${changelog}.gz)
    install(FILES cmake/debian/copyright ${changelog}.gz DESTINATION ${Z80HOME_INSTALL_DOCDIR})
    # Each tag lintian is told to pass over, with the reason above it.
    install(FILES cmake/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME z80home)
    if(TARGET z80home_manual_pages)
        install(FILES ${Z80HOME_MANUAL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endif()

set(CPACK_PACKAGE_NAME z80home)
set(CPACK_PACKAGE_VENDOR "the z80home developers")
set(CPACK_PACKAGE_CONTACT ${Z80HOME_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "emulator of a Z80 home computer with its own BASIC")
# Lines as Debian shows them: under 80 characters each.
set(CPACK_PACKAGE_DESCRIPTION [[
z80home emulates a Z80 home computer with a text screen, keyboard, light
pen, calendar clock, cassette and beeper, running its own BASIC and monitor
ROM. This holds the desktop host (z80home, SDL2), the headless host for
scripts (z80home-headless), the emulator libraries with their headers, and
the ROM images.]])
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME win32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(CPACK_SYSTEM_NAME win64)
    endif()
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
    # dpkg-shlibdeps names the packages of the system libraries the programs
    # and libraries link (libc6, libstdc++6, libsdl2-2.0-0...); our own are
    # found in the package itself.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
        ${CMAKE_BINARY_DIR}/bin)
endif()
include(CPack)
