/* failures: the table of every argument check's failure (messages.def) */
#include "messages.h"

namespace givqr {

const failure failures[messages] = {
#define MESSAGE(command, key, text) {#key, text},
#include "messages.def"
#undef MESSAGE
};

} // namespace givqr
