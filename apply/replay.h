/* replay.h: y = Q'*x and y = Q*x from the rotation table Qbar */
#ifndef GIVQR_REPLAY_H
#define GIVQR_REPLAY_H

#include "layout.h"

namespace givqr {

/* y = Q'*x: the 3m rotations of Qbar (m-by-6, from givfact for n) in the order
 * they were made.  x and y have 2n-2 entries and are distinct; x is only read. */
void givfwd(idx n, const double *Qbar, const double *x, double *y);

/* y = Q*x: the inverse rotations (c, -s) in the reverse order. */
void givinv(idx n, const double *Qbar, const double *x, double *y);

/* The same replays in parts, so that a caller can stop between them: steps
 * k0 <= k < k1 of the m steps, counted in the replay's own order (givfwd's
 * step k is column k, givinv's column m-1-k).  Run the parts in order from
 * k0 = 0 to k1 = m, each taking the two entries that ride from step to step
 * (carry) from the one before.  The operations and their order are those of
 * the whole replay. */
void givfwd_part(idx n, const double *Qbar, const double *x, double *y, idx k0, idx k1, double carry[2]);
void givinv_part(idx n, const double *Qbar, const double *x, double *y, idx k0, idx k1, double carry[2]);

} // namespace givqr

#endif
