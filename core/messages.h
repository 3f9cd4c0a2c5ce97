/* messages.h: the failures of the argument checks, from messages.def */
#ifndef GIVQR_MESSAGES_H
#define GIVQR_MESSAGES_H

#include <cstdio>

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

/* The identifier of failure f raised by command cmd, in buf. */
inline const char *identifier(char (&buf)[64], const char *cmd, const failure &f)
{
    std::snprintf(buf, sizeof buf, "givqr:%s:%s", cmd, f.key);
    return buf;
}

} // namespace givqr

#endif
