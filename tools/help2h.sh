#!/bin/sh
# help2h.sh NAME FILE.m: the help of FILE.m (its leading % comment block) as
# the C++ string NAME_help, for an oct-file's docstring.
set -eu
printf '/* %s_help: made from %s by help2h.sh */\nstatic const char %s_help[] = R"help(' "$1" "$(basename "$2")" "$1"
sed -n '/^%/!q; s/^%//p' "$2"
printf ')help";\n'
