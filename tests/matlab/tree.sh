#!/bin/sh
# tree.sh DIR: a stand-in MATLAB installation in DIR, made of what CMake's
# FindMatlab and matlab_add_mex look for: VersionInfo.xml, bin/matlab (which
# only answers FindMatlab's question for the version), bin/mexext, the
# fake host's mex.h as extern/include/mex.h, the fake host built as
# bin/glnxa64/libmx.so and libmex.so, the version scripts in
# extern/lib/glnxa64, and the version sources in extern/version.  It is test
# equipment: MATLAB's own headers and libraries are not in it.
set -eu
dir=$1
here=$(cd "$(dirname "$0")" && pwd)
fake=$here/../fake
rm -rf "$dir"
mkdir -p "$dir/bin/glnxa64" "$dir/extern/include" "$dir/extern/lib/glnxa64" "$dir/extern/version"
cat > "$dir/VersionInfo.xml" <<EOT
<?xml version="1.0" encoding="UTF-8"?>
<MathWorks_version_info>
  <version>9.14.0.2206163</version>
  <release>R2023a</release>
</MathWorks_version_info>
EOT
printf '#!/bin/sh\necho mexa64\n' > "$dir/bin/mexext"
cat > "$dir/bin/matlab" <<'EOT'
#!/bin/sh
# answers "version, exit" in the log file named by -logfile
while [ $# -gt 0 ]; do
    [ "$1" = -logfile ] && printf "\nans =\n\n    '9.14.0.2206163 (R2023a)'\n\n" > "$2"
    shift
done
EOT
chmod +x "$dir/bin/mexext" "$dir/bin/matlab"
cp "$fake/mex.h" "$dir/extern/include/mex.h"
c++ -std=c++17 -O2 -shared -fPIC -I"$fake" -o "$dir/bin/glnxa64/libmex.so" "$fake/fakemexerr.cpp"
c++ -std=c++17 -O2 -shared -fPIC -I"$fake" -o "$dir/bin/glnxa64/libmx.so" "$fake/fakemex.cpp" \
    -L"$dir/bin/glnxa64" -lmex
for map in mexFunction c_exportsmexfileversion; do
    extra=""
    [ $map = c_exportsmexfileversion ] && extra="mexfilerequiredapiversion;"
    printf 'MEX {\n    global:\n        mexFunction;\n        %s\n    local:\n        *;\n};\n' "$extra" \
        > "$dir/extern/lib/glnxa64/$map.map"
done
for f in c_mexapi_version.c cpp_mexapi_version.cpp; do
    cat > "$dir/extern/version/$f" <<EOT
/* the MEX API release a MEX file is built for (stand-in) */
#ifdef __cplusplus
extern "C"
#endif
void mexfilerequiredapiversion(unsigned int *built_by, unsigned int *target_api)
{
    *built_by = 0x2017b;
    *target_api = 0x07300000;
}
EOT
done
echo "stand-in MATLAB in $dir"
