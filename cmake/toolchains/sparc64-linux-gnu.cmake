# 64-bit SPARC (big-endian) Linux.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR sparc64)
# the SPARC cross compilers of this machine (tools/paths.sh)
execute_process(COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/../../tools/paths.sh -v sparc_cc sparc_cxx
  OUTPUT_VARIABLE sparc OUTPUT_STRIP_TRAILING_WHITESPACE)
string(REPLACE "\n" ";" sparc "${sparc}")
list(GET sparc 0 CMAKE_C_COMPILER)
list(GET sparc 1 CMAKE_CXX_COMPILER)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-sparc64 -L /usr/sparc64-linux-gnu)
