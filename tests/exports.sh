#!/bin/sh
# exports.sh FILE...: each MEX file defines exactly mexFunction and mexVersion,
# both with the symbol version MEX.
status=0
for f in "$@"; do
    got=$(nm -D --defined-only "$f" | awk '{print $3}' | sort | tr '\n' ' ')
    want="MEX mexFunction@@MEX mexVersion@@MEX "
    if [ "$got" != "$want" ]; then
        echo "$f exports: $got (want: $want)"
        status=1
    fi
done
[ $status -eq 0 ] && echo "$# passed, 0 failed"
exit $status
