# Writes a file's bytes as a C++ array: cmake -DINPUT=file -DNAME=symbol
# -DHEADER=path -DOUTPUT=out.cpp -P embed.cmake. The header declares the
# array with its size, so a file of another size fails to compile.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Made by rom/embed.cmake from ${INPUT}.\n#include \"${HEADER}\"\n\n"
     "const uint8_t ${NAME}[${size}] = {\n${bytes}};\n")
