/* QR_step: one step of the sweep, the three rotations of column i */
#ifndef GIVQR_QR_STEP_H
#define GIVQR_QR_STEP_H

#include "rotations.h"

namespace givqr {

/*
 * Step i of the sweep (m = n-2 steps in all).  On entry (d, e, w) is what the
 * sweep carries: R(i,i) so far; R(i+1,i+1) so far, the column-(i+1) entry of
 * the pending row; and w, its column-i entry.  The step merges sigma row i,
 * the pending row and stencil row i+2, scaled by rho (1 but where the
 * smoother weighs its points), into row i of R:
 *
 *      weight:  rotg (R(i,i), sigma)         -> q[0], q[1]
 *      carry:   rotg (R(i,i), w)             -> q[2], q[3]
 *               rot  (R(i,i+1) = 0, R(i+1,i+1))            if i < m-1
 *      stencil: rotg (R(i,i), rho)           -> q[4], q[5]
 *               rot  (R(i,i+1), w = -2*rho)                if i < m-1
 *               rot  (R(i,i+2) = 0, R(i+2,i+2) = rho)      if i < m-2
 *
 * and returns row i of R in r: R(i,i), R(i,i+1), R(i,i+2) (0 where the row
 * stops short).  On exit (d, e, w) is what step i+1 takes.  Every store of
 * 0.0 and 1.0 is made as listed: they fix the signs of zero results.
 *
 * Inside, i < m-2, the step is one function of (d, e, w), sigma and rho
 * alone: where the carried values repeat, and rho with them, so does
 * everything after them.  With rho = 1 its operations are the unweighted
 * sweep's: -2*1 and the stores of 1 are exact.
 */
inline void QR_step(double sigma, double rho, bool more1, bool more2, double &d, double &e, double &w,
                    double q[6], double r[3])
{
    double t;
    double u = 0.0;     /* R(i,i+1) */
    double v = 0.0;     /* R(i,i+2) */
    double f = 0.0;     /* R(i+2,i+2) */

    /* merge sigma row i: sigma in column i */
    t = sigma;
    rotg(&d, &t, &q[0], &q[1]);

    /* merge the pending row; its column i+1 splits between rows i, i+1 */
    rotg(&d, &w, &q[2], &q[3]);
    if (more1) rot(&u, &e, q[2], q[3]);

    /* merge stencil row i+2: (1, -2, 1) in columns i..i+2; what is left of
     * it, (w, f) in columns i+1, i+2, is the next pending row */
    t = rho;
    rotg(&d, &t, &q[4], &q[5]);
    if (more1) {
        w = -2.0 * rho;
        rot(&u, &w, q[4], q[5]);
    }
    if (more2) {
        f = rho;
        rot(&v, &f, q[4], q[5]);
    }

    r[0] = d;
    r[1] = u;
    r[2] = v;
    d = e;
    e = f;
}

} // namespace givqr

#endif
