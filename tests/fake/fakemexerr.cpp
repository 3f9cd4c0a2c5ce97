/* fakemexerr: the host's error routines, which end the gateway's call */
#include "fakehost.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

extern "C" void mexErrMsgTxt(const char *text)
{
    throw fake::host_error{text};
}

#if !GIVQR_MEX_R12
/* An identifier is two or more parts, each a letter then letters, digits or
 * underscores, joined by colons; like MATLAB, refuse any other. */
static bool valid(const char *id)
{
    int parts = 0;
    for (const char *p = id; *p;) {
        if (!std::isalpha(static_cast<unsigned char>(*p))) return false;
        while (std::isalnum(static_cast<unsigned char>(*p)) || *p == '_') p++;
        parts++;
        if (*p == ':') p++;
        else if (*p) return false;
    }
    return parts >= 2;
}

extern "C" void mexErrMsgIdAndTxt(const char *id, const char *fmt, ...)
{
    if (!valid(id)) std::abort();
    char text[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    throw fake::host_error{text};
}

namespace fake {
std::string warning_id, warning_text;
}

extern "C" void mexWarnMsgIdAndTxt(const char *id, const char *fmt, ...)
{
    if (!valid(id)) std::abort();
    char text[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    fake::warning_id = id;
    fake::warning_text = text;
}
#endif
