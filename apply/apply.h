/* apply.h: y = Q'*x and y = Q*x from the rotation table Qbar */
#ifndef GIVQR_APPLY_H
#define GIVQR_APPLY_H

#include "arg.h"

namespace givqr {

/* y = Q'*x: the 3m rotations of Qbar (m-by-6, from givfact for n) in the order
 * they were made.  x and y have 2n-2 entries and are distinct; x is only read. */
void givfwd(idx n, const double *Qbar, const double *x, double *y);

/* y = Q*x: the inverse rotations (c, -s) in the reverse order. */
void givinv(idx n, const double *Qbar, const double *x, double *y);

/* The two commands y = cmd (Qbar, x): the name, the kernel, and the two
 * messages about the counts, which are the only ones that differ. */
typedef void kernel(idx n, const double *Qbar, const double *x, double *y);
struct command {
    const char *name;
    kernel *f;
    const char *nargin;
    const char *nargout;
};
extern const command givfwd_command, givinv_command;

/* Checks a call of c with nlhs outputs and nrhs inputs a[0..nrhs-1].
 * Returns the error message, or nullptr and then n. */
const char *apply_check(const command &c, int nlhs, int nrhs, const arg *a, idx *n);

} // namespace givqr

#endif
