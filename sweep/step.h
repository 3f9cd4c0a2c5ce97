/* step.h: one step of the sweep, the d+1 rotations of column i */
#ifndef GIVQR_QR_STEP_H
#define GIVQR_QR_STEP_H

#include "rotations.h"
#include "types.h"

namespace givqr {

/*
 * The sweep factors A = [diag(rho)*D'; sigma*I], D the (n-d)-by-n matrix of
 * d-th differences (givfact: d = 2, rho = 1), column by column, m = n-d
 * steps in all.  Column i of A holds D(i,i..i+d) in its stencil rows
 * i..i+d, scaled by rho, and sigma in sigma row n+i.  Step i merges into
 * row i of R, in this order:
 *
 *      weight:  rotg (R(i,i), sigma)                     -> q[0], q[1]
 *      carry k: rotg (R(i,i), L(k,0)), k = 1..d-1        -> q[2k], q[2k+1]
 *               rot  (R(i,i+l), L(k,l)), l = 1..k
 *      stencil: rotg (R(i,i), F(0))                      -> q[2d], q[2d+1]
 *               rot  (R(i,i+l), F(l)), l = 1..d
 *
 * where L, the state the sweep carries, holds rows i..i+d-1 of what is left
 * in columns i..i+d-1 (lower triangular: L(k,l) in L[k(k+1)/2 + l], row i+k
 * ending at column i+k), and F = rho(i+d)*D(i..i+d, i+d), the stencil row
 * i+d met first here.  R(i,i+1..i+d) start as 0.0; every rot of a column
 * beyond the last, m-1, is left out (cols columns lie beyond i, at most d).
 * The step leaves row i of R in r, R(i,i..i+d), and in L rows i+1..i+d in
 * columns i+1..i+d: L(k,l) from L(k+1,l+1), its last row from F(1..d).
 *
 * For d = 2 this is (d, e, w) = (L(0,0), L(1,1), L(1,0)) merged with sigma,
 * the pending row and the stencil row (1, -2, 1)*rho.  Every store of 0.0
 * is made as listed: they fix the signs of zero results.
 *
 * Inside (cols = d, i < m-d) the step is one function of L, sigma and F
 * alone: where the carried state repeats, and the stencil row with it, so
 * does everything after them.
 */
/* The carries and the stencil of step i, into R from the rotations q on
 * (the lower block's, before them, in q[0..]), and the state moved on. */
template <int d>
GIVQR_STEP void QR_merge(double R[d + 1], const double F[d + 1], int cols, double L[], double q[], double r[])
{
    double f[d + 1];
    for (int k = 1; k < d; k++) {                   /* carry k: row i+k */
        double *row = L + k * (k + 1) / 2;
        rotg(&R[0], &row[0], &q[2 * k - 2], &q[2 * k - 1]);
        for (int l = 1; l <= k; l++)
            if (l <= cols) rot(&R[l], &row[l], q[2 * k - 2], q[2 * k - 1]);
    }

    for (int l = 0; l <= d; l++) f[l] = F[l];       /* stencil: row i+d */
    rotg(&R[0], &f[0], &q[2 * d - 2], &q[2 * d - 1]);
    for (int l = 1; l <= d; l++)
        if (l <= cols) rot(&R[l], &f[l], q[2 * d - 2], q[2 * d - 1]);

    for (int l = 0; l <= d; l++) r[l] = R[l];
    for (int k = 1; k < d; k++)                     /* rows i+1..i+d */
        for (int l = 1; l <= k; l++) L[(k - 1) * k / 2 + l - 1] = L[k * (k + 1) / 2 + l];
    for (int l = 1; l <= d; l++) L[(d - 1) * d / 2 + l - 1] = f[l];
}

template <int d>
GIVQR_STEP void QR_step(double sigma, const double F[d + 1], int cols, double L[], double q[], double r[])
{
    double R[d + 1];
    R[0] = L[0];
    for (int l = 1; l <= d; l++) R[l] = 0.0;
    double t = sigma;                               /* weight: sigma row i */
    rotg(&R[0], &t, &q[0], &q[1]);
    QR_merge<d>(R, F, cols, L, q + 2, r);
}

/*
 * The same step where the lower block is sigma*L' for L lower bidiagonal
 * (the smoothing spline's, spline.h): its row n+i holds sigma*(L(i,i),
 * L(i+1,i)) in columns i, i+1, given in lo.  Row n+i-1, which step i-1
 * left with its entry in column i alone, comes first, then row n+i, whose
 * entry in column i+1 the step leaves for the next; the carries and the
 * stencil follow, their rotations in q[4..]:
 *
 *      rotg (R(i,i), B)                        -> q[0], q[1]   row n+i-1
 *      rotg (R(i,i), lo(0)), rot (R(i,i+1), lo(1))    -> q[2], q[3]   row n+i
 *
 * B, what row n+i-1 holds in column i, is carried in L[d(d+1)/2] (0 at the
 * first step, whose rotation is then the identity).
 */
template <int d>
GIVQR_STEP void QR_step_bidiagonal(const double lo[2], const double F[d + 1], int cols, double L[], double q[],
                                   double r[])
{
    constexpr int N = d * (d + 1) / 2;
    double R[d + 1];
    R[0] = L[0];
    for (int l = 1; l <= d; l++) R[l] = 0.0;
    rotg(&R[0], &L[N], &q[0], &q[1]);               /* row n+i-1 */
    double t = lo[0], u = cols >= 1 ? lo[1] : 0.0;  /* row n+i */
    rotg(&R[0], &t, &q[2], &q[3]);
    if (cols >= 1) rot(&R[1], &u, q[2], q[3]);
    L[N] = u;
    QR_merge<d>(R, F, cols, L, q + 4, r);
}

} // namespace givqr

#endif
