# cmake -DFILE=path -DSIZE=bytes -P checksize.cmake: fails unless the file
# has exactly that size (and removes it, so the next build tries again).
file(SIZE ${FILE} actual)
if(NOT actual EQUAL SIZE)
    file(REMOVE ${FILE})
    message(FATAL_ERROR "${FILE} is ${actual} bytes; it must be exactly ${SIZE}")
endif()
