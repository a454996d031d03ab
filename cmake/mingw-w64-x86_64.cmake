# Cross-build for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model, so that
# std::thread and friends work). The effect module, the minihost and the tests are built;
# the tests run through Wine (see cmake/wine.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(BOXWANDER_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BOXWANDER_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BOXWANDER_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BOXWANDER_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BOXWANDER_MINGW_PREFIX})
# Programs (Wine, the build machine's compiler) come from the build machine; headers and
# libraries only from the Windows side.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
