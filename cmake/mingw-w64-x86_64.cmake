# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
# The POSIX thread model is the one whose std::thread and std::mutex Qt and the project use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MIRVANE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MIRVANE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRVANE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MIRVANE_MINGW_TRIPLET}-windres)

# Libraries and headers come from the cross sysroot (and the Qt built for it), programs from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${MIRVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
