# Writes OUTPUT, a C++ unit defining NAME as the bytes of INPUT (with a NUL
# after them), so that files of the report are kept as real files and still
# built into the binary. Run as: cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P embed.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(([^,]*,){16})" "\\1\n  " bytes "${bytes}")
file(WRITE "${OUTPUT}"
  "// Made by cmake/embed.cmake from ${INPUT}: edit that file, not this one.\n"
  "#include <cstddef>\n\n"
  "namespace batch {\n"
  "extern const char ${NAME}[] = {\n  ${bytes}'\\0'};\n"
  "extern const std::size_t ${NAME}Size = ${size};\n"
  "}  // namespace batch\n")
