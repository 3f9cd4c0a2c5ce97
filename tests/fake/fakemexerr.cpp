/* fakemexerr: the host's error routine, which ends the gateway's call */
#include "fakehost.h"

extern "C" void mexErrMsgTxt(const char *text)
{
    throw fake::host_error{text};
}
