/* stencil.h: the rows of D, the d-th divided differences of the sample times */
#ifndef GIVQR_STENCIL_H
#define GIVQR_STENCIL_H

#include "types.h"

namespace givqr {

/*
 * D is the (n-d)-by-n matrix of d-th divided differences of the sample
 * times t, scaled so that equal unit spacing gives the ordinary d-th
 * difference:
 *
 *      D_0 = I,   D_k = diag(k ./ (t(k+1:n) - t(1:n-k))) * diff(D_(k-1)),   D = D_d
 *
 * so that D*z is d! times the divided differences [t(j), ..., t(j+d)] z.
 * Row j holds D(j, j..j+d).  Without t (t = 1:n) every row is the binomial
 * row c, c(l) = (-1)^(d-l) * nchoosek(d, l): (-1, 1), (1, -2, 1), (-1, 3,
 * -3, 1), (1, -4, 6, -4, 1).  Where every row of D is the same to the bit
 * (equally spaced t, such as 1:n, which gives c itself), the stencil keeps
 * that one row: the factorization's rows may then repeat (cycle.h), and a
 * gap is filled as on an equal grid.  A single row (n = d+1, d > 1) says
 * nothing of the spacing, and is kept as D.
 */
struct stencil {
    int d;
    const double *D;            /* row j at D + (d+1)*j, or null: every row is c */
    double c[d_max + 1];
    const double *t;            /* the sample times, or null: 1:n */
    double h;                   /* the mean spacing (mean_spacing) */
    double norm;                /* the largest sum of |D(j,:)| over the rows */
    /* where every row is c (and `inner` is set): (D'*D)(i,i+k) for k = 0..d
     * where rows i+k-d..i all lie in D, as DtD sums it */
    bool inner = false;
    double dtd[d_max + 1] = {};
    /* the smoothing spline's (spline.h): the lower block sigma*L' of A,
     * L(j,j) and L(j+1,j) in low(2j), low(2j+1) (null: sigma*I), the step
     * from which they no longer change, and log det(L*L') */
    const double *low = nullptr;
    idx low_steady = 0;
    double logdet_low = 0.0;
};

/* The mean spacing of n sample times t (null: 1:n), (t(n) - t(1))/(n - 1). */
inline double mean_spacing(idx n, const double *t)
{
    return t ? (t[n - 1] - t[0]) / double(n - 1) : 1.0;
}

/* Entry l of row j, D(j, j+l). */
inline double coef(const stencil &S, idx j, int l)
{
    return S.D ? S.D[(S.d + 1) * j + l] : S.c[l];
}

/* The stencil of order d for n points at the times t (null: 1:n), its rows
 * in rows ((d+1)*(n-d) doubles, written where t is not null and left for
 * the stencil to point to where they differ). */
stencil make_stencil(idx n, int d, const double *t, double *rows);

/* (D'*D)(i,j) for |i - j| <= d, the sum over the rows k of D that hold both,
 * in the order of k: DtD_sum, or the inner entry that sum gives. */
double DtD_sum(idx n, const stencil &S, idx i, idx j);
inline double DtD(idx n, const stencil &S, idx i, idx j)
{
    const idx lo = i < j ? i : j, hi = i < j ? j : i;
    if (S.inner && hi - S.d >= 0 && lo <= n - 1 - S.d) return S.dtd[hi - lo];
    return DtD_sum(n, S, i, j);
}

} // namespace givqr

#endif
