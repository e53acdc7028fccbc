# Shared part of the mingw-w64 toolchain files; VYRTAL_MINGW_TRIPLE names the
# compiler prefix. The "-posix" compilers bring std::thread and friends.
foreach(suffix -posix "")
  find_program(VYRTAL_MINGW_CXX ${VYRTAL_MINGW_TRIPLE}-g++${suffix})
  if(VYRTAL_MINGW_CXX)
    find_program(VYRTAL_MINGW_CC ${VYRTAL_MINGW_TRIPLE}-gcc${suffix} REQUIRED)
    break()
  endif()
endforeach()
if(NOT VYRTAL_MINGW_CXX)
  message(FATAL_ERROR "${VYRTAL_MINGW_TRIPLE}-g++ not found (scripts/install-deps installs it)")
endif()
set(CMAKE_C_COMPILER ${VYRTAL_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VYRTAL_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VYRTAL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VYRTAL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The language runtime goes inside every binary, so a DLL needs nothing but
# the system's own libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run the binaries under wine.
find_program(VYRTAL_WINE wine)
if(VYRTAL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VYRTAL_WINE})
endif()
