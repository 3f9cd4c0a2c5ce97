#!/bin/sh
# exports.sh NM OBJDUMP FILE...: each MEX file exports exactly mexFunction and
# mexVersion: on ELF both with the symbol version MEX, on Windows by name.
# The files for MATLAB R12 and R13 also import (weak references aside) no routine of the MEX
# interface that those releases lacked, nothing of the C++ runtime, and name
# as needed libraries what MATLAB gives them: .mexglx libmx, libmex, libmat,
# libm and libc; .mexsol none (every routine comes from the host process).
nm=$1 objdump=$2
shift 2
r12="mxGetM mxGetN mxGetPr mxCreateDoubleMatrix mxCreateSparse mxGetNzmax mxGetIr mxGetJc
     mxIsDouble mxIsComplex mxIsSparse mxIsNumeric mxIsLogical mxGetScalar
     mxGetNumberOfDimensions mxGetDimensions mexErrMsgTxt"
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
    case $f in
    *.mexglx|*.mexsol)
        for s in $("$nm" -D --undefined-only "$f" | awk '$1 == "U" { sub(/@.*/, "", $NF); print $NF }'); do
            case " $(echo $r12) " in *" $s "*) continue ;; esac
            case $s in
            mx*|mex*|_Z*|__cxa*|__gxx*|_Unwind*)
                echo "$f imports $s, which MATLAB R12 and R13 do not have"
                status=1 ;;
            esac
        done
        needed=$("$objdump" -p "$f" | awk '$1 == "NEEDED" { print $2 }' | sort | tr '\n' ' ')
        want=""
        case $f in *.mexglx) want="libc.so.6 libm.so.6 libmat.so libmex.so libmx.so " ;; esac
        if [ "$needed" != "$want" ]; then
            echo "$f names the libraries: $needed (want: $want)"
            status=1
        fi ;;
    esac
done
[ $status -eq 0 ] && echo "$# passed, 0 failed"
exit $status
