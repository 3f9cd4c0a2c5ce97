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

/* The message of an identifier (refused unless valid) and a format. */
static std::string message(const char *id, const char *fmt, va_list ap)
{
    if (!valid(id)) std::abort();
    char text[512];
    std::vsnprintf(text, sizeof text, fmt, ap);
    return text;
}

extern "C" void mexErrMsgIdAndTxt(const char *id, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    const std::string text = message(id, fmt, ap);
    va_end(ap);
    throw fake::host_error{text};
}

namespace fake {
std::string warning_id, warning_text;
}

extern "C" void mexWarnMsgIdAndTxt(const char *id, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    fake::warning_text = message(id, fmt, ap);
    va_end(ap);
    fake::warning_id = id;
}
#endif
