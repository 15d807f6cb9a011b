# Writes OUT, a C++ source defining the bytes of the file IN as
# `const unsigned char NAME[]` and its size as `const std::size_t NAME_size`,
# both in namespace NAMESPACE.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUT}.tmp "// Generated from ${IN} at build time; do not edit.\n#include <cstddef>\n\nnamespace ${NAMESPACE} {\nextern const unsigned char ${NAME}[];\nextern const std::size_t ${NAME}_size;\nconst unsigned char ${NAME}[${size}] = {${bytes}};\nconst std::size_t ${NAME}_size = ${size};\n}  // namespace ${NAMESPACE}\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
