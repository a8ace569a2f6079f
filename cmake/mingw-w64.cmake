# Cross build for 64-bit Windows with the MinGW-w64 toolchain:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DSCENARIO_TESTS=OFF
# The "-posix" compilers use the POSIX thread model, which the C++ standard
# library needs for its full feature set; the plain names are a fallback.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)

find_program(MINGW_CXX NAMES ${MINGW_TRIPLET}-g++-posix ${MINGW_TRIPLET}-g++ REQUIRED)
find_program(MINGW_CC NAMES ${MINGW_TRIPLET}-gcc-posix ${MINGW_TRIPLET}-gcc)
find_program(MINGW_RC NAMES ${MINGW_TRIPLET}-windres)

set(CMAKE_CXX_COMPILER ${MINGW_CXX})
if(MINGW_CC)
  set(CMAKE_C_COMPILER ${MINGW_CC})
endif()
if(MINGW_RC)
  set(CMAKE_RC_COMPILER ${MINGW_RC})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
