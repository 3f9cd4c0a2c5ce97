#!/bin/sh
# exports.sh NM OBJDUMP FILE...: each MEX file exports exactly mexFunction and
# mexVersion: on ELF both with the symbol version MEX, on Windows by name.
nm=$1 objdump=$2
shift 2
status=0
for f in "$@"; do
    case $f in
    *.mexw64|*.mexw32|*.dll)
        got=$("$objdump" -p "$f" | awk '/\[Ordinal\/Name Pointer\] Table/ { t = 1; next }
                                        t && NF == 0 { t = 0 } t { print $NF }' | sort | tr '\n' ' ')
        want="mexFunction mexVersion " ;;
    *)
        got=$("$nm" -D --defined-only "$f" | awk '{print $3}' | sort | tr '\n' ' ')
        want="MEX mexFunction@@MEX mexVersion@@MEX " ;;
    esac
    if [ "$got" != "$want" ]; then
        echo "$f exports: $got (want: $want)"
        status=1
    fi
done
[ $status -eq 0 ] && echo "$# passed, 0 failed"
exit $status
