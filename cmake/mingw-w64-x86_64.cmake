# Cross-building for 64-bit Windows with Debian's MinGW-w64 compilers.
# The posix thread model: the win32 one has no std::thread or std::mutex,
# which Qt 6 and the chart's decode both need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TIDEMARK_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TIDEMARK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIDEMARK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TIDEMARK_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${TIDEMARK_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TIDEMARK_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries, headers and packages come from the MinGW sysroot and from the
# prefixes named on the command line, never from the build machine; programs
# (moc, rcc, the chart generator) are the build machine's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TIDEMARK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
