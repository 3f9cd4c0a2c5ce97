/* messages.h: the failures of the argument checks, from messages.def */
#ifndef GIVQR_MESSAGES_H
#define GIVQR_MESSAGES_H

#include <cstdio>
#include <cstring>

namespace givqr {

/* A failed check: the last part of its identifier, givqr:<command>:<key>,
 * and its message. */
struct failure {
    const char *key;
    const char *text;
};

/* givfact_nargin, ..., apply_xClass: the index of each in failures[]. */
enum message {
#define MESSAGE(command, key, text) command##_##key,
#include "messages.def"
#undef MESSAGE
    messages
};

extern const failure failures[messages];

/* The message of failure f into buf: its text, with the detail of the
 * call (an option's name, an index) where the text has a place for it. */
inline const char *message_of(char (&buf)[256], const failure &f, const char *detail)
{
    const char *at = std::strstr(f.text, "%s");
    if (!at) return f.text;
    std::snprintf(buf, sizeof buf, "%.*s%s%s", int(at - f.text), f.text, detail ? detail : "", at + 2);
    return buf;
}

/* The identifier of failure f raised by command cmd, in buf. */
inline const char *identifier(char (&buf)[64], const char *cmd, const failure &f)
{
    std::snprintf(buf, sizeof buf, "givqr:%s:%s", cmd, f.key);
    return buf;
}

} // namespace givqr

#endif
