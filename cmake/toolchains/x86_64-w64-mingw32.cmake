# Windows x64 with MinGW-w64, the .mexw64 target; run under wine64 (found by
# tools/paths.sh), which finds the compiler's runtime DLLs through WINEPATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
execute_process(COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/../../tools/paths.sh -v wine64
  OUTPUT_VARIABLE wine64 OUTPUT_STRIP_TRAILING_WHITESPACE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${wine64})
set(GIVQR_MEX_SUFFIX .mexw64 CACHE STRING "")
