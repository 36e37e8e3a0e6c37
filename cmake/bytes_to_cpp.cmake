# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P bytes_to_cpp.cmake
# Writes a C++ source defining `extern const unsigned char SYMBOL[]` and `SYMBOL_size`.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" body "${body}")
file(WRITE "${OUTPUT}"
"// Generated from ${INPUT}.
#include <cstddef>
extern const unsigned char ${SYMBOL}[];
extern const std::size_t ${SYMBOL}_size;
alignas(4) const unsigned char ${SYMBOL}[] = {
${body}0};
const std::size_t ${SYMBOL}_size = ${size};
")
