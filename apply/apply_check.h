/* apply_check.h: the arguments of y = givfwd (Qbar, x) and y = givinv (Qbar, x) */
#ifndef GIVQR_APPLY_CHECK_H
#define GIVQR_APPLY_CHECK_H

#include "arg.h"
#include "layout.h"
#include "messages.h"

namespace givqr {

/* The two commands y = cmd (Qbar, x): the name, the replay in parts (run
 * whole as the one part 0..m), and the two failures about the counts, which
 * are the only ones whose messages differ. */
typedef void replay_part(idx n, const double *Qbar, const double *x, double *y, idx k0, idx k1, double carry[2]);
struct command {
    const char *name;
    replay_part *p;
    const failure *nargin;
    const failure *nargout;
};
extern const command givfwd_command, givinv_command;

/* Checks a call of c with nlhs outputs and nrhs inputs a[0..nrhs-1].
 * Returns the failure, or nullptr and then n. */
const failure *apply_check(const command &c, int nlhs, int nrhs, const arg *a, idx *n);

} // namespace givqr

#endif
