# Cross build for 64-bit Windows with MinGW-w64 (Debian's mingw-w64 packages), POSIX threads
# variant, so that std::thread works. Programs are linked statically: quorvane-cli.exe and the
# test programs run with no DLLs beside them. The desktop program is left out (no Qt for Windows
# here); see README.
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORVANE_MINGW_TRIPLE}-windres)

# Libraries and packages come from the MinGW-w64 root only, never from the Linux system.
set(CMAKE_FIND_ROOT_PATH /usr/${QUORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# What the Linux build has but this one cannot: Qt for Windows and Google Benchmark.
set(QUORVANE_BUILD_GUI OFF CACHE BOOL "")
set(QUORVANE_BUILD_BENCH OFF CACHE BOOL "")
set(QUORVANE_BUILD_PACKAGE OFF CACHE BOOL "")
