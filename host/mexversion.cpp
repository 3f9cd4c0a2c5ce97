/* mexVersion: the MEX interface these commands are built for */
#include "mexexport.h"

static const char version[] = "MATLAB R13 native";

extern "C" MEX_EXPORT const char *mexVersion(void)
{
    return version;
}
