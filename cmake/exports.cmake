# Export tables from headers: a library exports exactly the functions its
# headers declare with Z80HOME_API, so the headers are the one list of names.
# The list is read at configure time (a change to a header configures again).

# z80home_export_names(OUT [MARKER word] header...): the names declared on
# lines that start with the marker (Z80HOME_API unless given), in order.
function(z80home_export_names out)
    cmake_parse_arguments(arg "" "MARKER" "" ${ARGN})
    if(NOT arg_MARKER)
        set(arg_MARKER Z80HOME_API)
    endif()
    set(names)
    foreach(header ${arg_UNPARSED_ARGUMENTS})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
        file(STRINGS ${header} lines REGEX "^${arg_MARKER} ")
        foreach(line ${lines})
            if(NOT line MATCHES "([A-Za-z_][A-Za-z0-9_]*)\\(")
                message(FATAL_ERROR "${header}: no function name in: ${line}")
            endif()
            list(APPEND names ${CMAKE_MATCH_1})
        endforeach()
    endforeach()
    if(NOT names)
        message(FATAL_ERROR "${arg_UNPARSED_ARGUMENTS}: no ${arg_MARKER} function declared")
    endif()
    set(${out} ${names} PARENT_SCOPE)
endfunction()

# z80home_export_table(target name...): links target so that it exports just
# those names: a version script on ELF, a module definition file on Windows.
function(z80home_export_table target)
    if(WIN32)
        set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
        list(JOIN ARGN "\n    " body)
        file(CONFIGURE OUTPUT ${file} CONTENT "LIBRARY ${target}\nEXPORTS\n    ${body}\n")
        target_sources(${target} PRIVATE ${file})
    else()
        set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
        list(JOIN ARGN ";\n        " body)
        file(CONFIGURE OUTPUT ${file}
             CONTENT "{\n    global:\n        ${body};\n    local:\n        *;\n};\n")
        target_link_options(${target} PRIVATE "LINKER:--version-script=${file}")
        set_target_properties(${target} PROPERTIES LINK_DEPENDS ${file})
    endif()
endfunction()
