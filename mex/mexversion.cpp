/* mexVersion: the MEX interface these commands are built for */
#include "mexexport.h"

#if defined(__sparc) || defined(__sparc__)
static const char version[] = "MATLAB R12 native";
#else
static const char version[] = "MATLAB R13 native";
#endif

extern "C" MEX_EXPORT const char *mexVersion(void)
{
    return version;
}
