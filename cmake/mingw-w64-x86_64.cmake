# Cross-compiles the Windows x86-64 build with mingw-w64 (Debian:
# g++-mingw-w64-x86-64-posix). The -posix compilers are named explicitly:
# their threading model is the one std::thread and friends need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PADWATCH_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PADWATCH_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PADWATCH_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PADWATCH_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PADWATCH_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the executables need no MinGW DLLs next to them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine when it is there.
find_program(PADWATCH_WINE wine)
if(PADWATCH_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PADWATCH_WINE})
endif()
