# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX thread model). Everything is
# linked statically so the programs and test suites run under Wine or on a bare Windows PC
# without any runtime DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KILNWATCH_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KILNWATCH_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KILNWATCH_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KILNWATCH_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KILNWATCH_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC 12 reports std::string's own copies as overlapping at -O2 and above (its bug 105329).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test discovery runs the cross-built suites, which only Wine can do here.
find_program(KILNWATCH_WINE wine)
if(KILNWATCH_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KILNWATCH_WINE})
endif()
