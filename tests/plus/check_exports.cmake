# Fails unless each library's dynamic symbol table defines exactly the
# expected functions. LIBRARIES and EXPECTED are "|"-separated in step; each
# EXPECTED entry is a comma-separated list of names.
string(REPLACE "|" ";" libraries "${LIBRARIES}")
string(REPLACE "|" ";" expected "${EXPECTED}")
foreach(library names IN ZIP_LISTS libraries expected)
    execute_process(COMMAND ${NM} -D --defined-only ${library}
                    OUTPUT_VARIABLE table RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${NM} could not read ${library}")
    endif()
    string(REGEX MATCHALL "[0-9a-f]+ [TtWi] [A-Za-z_][A-Za-z0-9_]*" found "${table}")
    list(TRANSFORM found REPLACE "^[0-9a-f]+ . " "")
    string(REPLACE "," ";" want "${names}")
    list(SORT found)
    list(SORT want)
    if(NOT found STREQUAL want)
        message(FATAL_ERROR "${library} exports\n  ${found}\nnot\n  ${want}")
    endif()
    list(LENGTH found count)
    message(STATUS "${library}: the ${count} expected exports")
endforeach()
