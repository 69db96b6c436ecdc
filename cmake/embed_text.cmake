# Writes a text file into one C++ source as
#   extern const unsigned char NAME[]; extern const size_t NAMESize;
# (zero-terminated, the size without the zero), so that a program carries it
# in its own image. Run at build time:
#   cmake -DINPUT=FILE -DOUTPUT=FILE.cpp -DNAME=identifier -P embed_text.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.new "// Generated from ${INPUT} by cmake/embed_text.cmake.\n#include <cstddef>\n\n"
  "extern const unsigned char ${NAME}[] = {\n${bytes}0};\nextern const size_t ${NAME}Size = ${size};\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUTPUT}.new ${OUTPUT})
file(REMOVE ${OUTPUT}.new)
