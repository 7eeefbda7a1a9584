# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The -posix variants are used because only they provide std::thread and std::mutex. Programs are
# linked statically (libgcc, libstdc++, winpthread), so an .exe needs no DLL beyond Windows' own.
# When Wine is installed it is the emulator: CTest runs the built programs with it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DTUSMS_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DTUSMS_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DTUSMS_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DTUSMS_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DTUSMS_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Debian's wine package puts the 64-bit loader behind the `wine` wrapper; `wine64` on PATH is
# preferred where a distribution provides it.
find_program(DTUSMS_WINE NAMES wine64 wine)
if(DTUSMS_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${DTUSMS_WINE})
endif()
