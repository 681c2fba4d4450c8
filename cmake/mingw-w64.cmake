# Cross-build for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix). The posix flavour is used for its C++11 thread
# support; the model links it statically, so no MinGW DLL ships beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HALVEX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HALVEX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HALVEX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${HALVEX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HALVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows' x64 ABI keeps the stack 16-byte aligned only, and MinGW GCC does
# not realign it for 32- and 64-byte vector spills: aligned AVX moves of a
# spilled register would fault. The assembler turns every aligned vector move
# into its unaligned form, which costs nothing on aligned data.
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
