# z80home_exports(TARGET LIBRARY HEADER...): the exports of shared library
# TARGET are the functions its headers declare with Z80HOME_API, and only
# those. The list is read from the headers at configure time (a change to one
# configures again) and written as the linker's version script on ELF and as
# the module definition file on Windows, so the names are written once.
function(z80home_exports target library)
    set(names)
    foreach(header ${ARGN})
        file(STRINGS ${header} lines REGEX "^Z80HOME_API ")
        foreach(line ${lines})
            if(NOT line MATCHES "([A-Za-z_][A-Za-z0-9_]*)\\(")
                message(FATAL_ERROR "${header}: no function name in: ${line}")
            endif()
            list(APPEND names ${CMAKE_MATCH_1})
        endforeach()
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
    endforeach()
    if(NOT names)
        message(FATAL_ERROR "${target}: its headers declare no Z80HOME_API function")
    endif()
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-exports)
    if(WIN32)
        list(JOIN names "\n    " lines)
        file(CONFIGURE OUTPUT ${dir}/${library}.def
            CONTENT "LIBRARY ${library}\nEXPORTS\n    ${lines}\n")
        target_sources(${target} PRIVATE ${dir}/${library}.def)
    else()
        list(JOIN names ";\n        " lines)
        file(CONFIGURE OUTPUT ${dir}/${library}.map
            CONTENT "{\n    global:\n        ${lines};\n    local:\n        *;\n};\n")
        target_link_options(${target} PRIVATE "LINKER:--version-script=${dir}/${library}.map")
        set_target_properties(${target} PROPERTIES LINK_DEPENDS ${dir}/${library}.map)
    endif()
endfunction()
