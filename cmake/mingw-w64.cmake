# Cross-building the Qt-free core and its unit tests for 64-bit Windows with MinGW-w64 on
# Debian (g++-mingw-w64-x86-64-posix: the posix-threads compiler, which std::thread and
# std::mutex need). The programs are linked statically, so that they run under Wine or on
# Windows without the compiler's DLLs beside them. scripts/windows-tests.sh uses this file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SOLMIR_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${SOLMIR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SOLMIR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SOLMIR_MINGW_TRIPLET}-windres)

# Headers, libraries and CMake packages come from the MinGW sysroot (and from the folders
# given in CMAKE_PREFIX_PATH, such as a GoogleTest built for MinGW); build tools from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${SOLMIR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs built here run under Wine (GoogleTest's discovery at build time, ctest).
find_program(SOLMIR_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(SOLMIR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SOLMIR_WINE})
endif()
