# Cross-building the Windows programs with Debian's mingw-w64 (64-bit, the
# -posix thread model: the portable code uses std::mutex, the tests std::thread).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTO_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KESTO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests cross-built here run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
