#!/bin/sh
# paths.sh [-v] [NAME...]: where this machine keeps what the cross builds
# need, found now rather than by one Debian release's version numbers.
# Prints NAME=VALUE for each NAME (every one when none is given), or with -v
# the value alone; an empty value is not found.
#   sparc_cc, sparc_cxx  the SPARC cross compilers: unversioned, else the newest
#   gtest_src            GoogleTest's sources (Debian's googletest)
#   mingw_dlls           the folder of the MinGW-w64 C++ runtime DLLs
#   wine64               wine's 64-bit program loader
set -u
newest() {  # newest NAME: NAME on the PATH, else NAME-<version> with the highest version
    command -v "$1" 2>/dev/null && return
    for d in $(echo "$PATH" | tr ':' ' '); do ls "$d/$1"-[0-9]* 2>/dev/null; done | sort -V | tail -n 1
}
find_one() {
    case $1 in
    sparc_cc) newest sparc64-linux-gnu-gcc ;;
    sparc_cxx) newest sparc64-linux-gnu-g++ ;;
    gtest_src) dpkg -L googletest 2>/dev/null | grep '/CMakeLists.txt$' | awk '{ print length, $0 }' |
               sort -n | head -n 1 | sed 's|^[0-9]* ||; s|/CMakeLists.txt$||' ;;
    mingw_dlls) f=$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll 2>/dev/null)
                [ -f "$f" ] && dirname "$f" ;;
    wine64) command -v wine64 2>/dev/null || dpkg -L wine64 2>/dev/null | grep '/wine64$' | head -n 1 ;;
    *) echo "paths.sh: no such name: $1" >&2; exit 2 ;;
    esac
}
value=""
[ "${1:-}" = -v ] && { value=1; shift; }
[ $# -eq 0 ] && set -- sparc_cc sparc_cxx gtest_src mingw_dlls wine64
for name in "$@"; do
    v=$(find_one "$name")
    if [ -n "$value" ]; then echo "$v"; else echo "$name=$v"; fi
done
