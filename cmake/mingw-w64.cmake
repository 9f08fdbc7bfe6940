# Cross-compiles for 64-bit Windows with Debian's mingw-w64 compilers. The POSIX
# thread model gives the C++ library its threads; the runtime is linked in
# statically so that the programs run without the compiler's DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEMO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEMO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEMO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEMO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEMO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
