# Cross build of the Windows program with MinGW-w64 (posix thread model, so
# std::thread works), linked statically: RuvoJS.exe needs no MinGW DLL.
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RUVO_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${RUVO_MINGW_PREFIX}-gcc-posix ${RUVO_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${RUVO_MINGW_PREFIX}-g++-posix ${RUVO_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${RUVO_MINGW_PREFIX}-windres REQUIRED)
set(CMAKE_AR ${RUVO_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${RUVO_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${RUVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the cross-built test programs through Wine.
find_program(RUVO_WINE NAMES wine wine64)
if(RUVO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RUVO_WINE})
endif()
