/* smooth.h: the kernels of givsmooth */
#ifndef GIVQR_SMOOTH_H
#define GIVQR_SMOOTH_H

#include "QR.h"
#include "stencil.h"
#include "steps.h"
#include "table.h"

namespace givqr {

/*
 * Smoothing a series y of n points with weights w >= 0: z minimizes
 * sum(w.*(z - y).^2) + |D*z|^2/sigma^2, D the (n-d)-by-n matrix of d-th
 * divided differences (stencil.h).  With rho = w.^(-1/2) and b = sqrt(w).*y,
 * [sqrt(w).*z; -sigma*v] is the residual of min |A*v - [b; 0]|,
 * A = [diag(rho)*D'; sigma*I]: with Q'*[b; 0] = [c1; c2] (c1 of length
 * m = n-d), sqrt(w).*z is the first n entries of Q*[0; c2].  Unweighted,
 * rho = 1 and b = y.  The kernels work on one vector x of n entries:
 *
 *      smooth_forward    b  ->  c2, held as x = (c(m..m+d-1), c(n), ..., c(n+m-1))
 *      smooth_backward   c2 ->  sqrt(w).*z, in place
 *
 * that is, x(i+d) is c(n+i), the sigma row of column i, which the forward
 * replay writes at step i (reading b(i+d), which may lie there) and the
 * backward replay reads at its step for column i, just before writing
 * sqrt(w(i+d))*z(i+d) there.  The operations and their order are those of
 * givfwd on [b; 0], then givinv on [0; c2], for the d+1 rotations of each
 * column: for d = 2, unweighted, z has the bits of givsmooth's recipe with
 * givfact, givfwd and givinv.
 *
 * A point without weight (missing) has rho = missing_scale: its stencil row
 * becomes, to double precision, the constraint (D'*v)(i) = 0 it is in the
 * limit (its weight 2^-512 moves nothing by as much as a rounding), and the
 * rotations eliminate with it as Gaussian elimination would.  z = rho.*x
 * carries x's rounding, about eps*|b|, times rho(i): so at the points whose
 * weight is 0 or below 2^-16 of the greatest, z is not taken from x but
 * filled afterwards from the others (smooth_fill).
 */
constexpr double missing_scale = 0x1p256;

/* What smooth_forward carries from one part to the next: the factorization's
 * state, and the replay's y(i..i+d-1); and, set before the first part, the
 * step from which rho(i+d) no longer changes (0 unweighted): only from there
 * may the factorization's state repeat, and only where D's rows are all the
 * same. */
struct sweep {
    QR_state qr;
    double a[d_max];
    idx steady = 0;
    bool sums = false;  /* two-sided: add up in k */
    tally k;            /* |c1|^2 and log |det R| */
};

/*
 * Steps i0 <= i < i1 (run from i0 = 0 to m in parts) of the factorization
 * of A for the stencil S and sigma (rho null: all 1), each step's rotations
 * applied at once to b, into x (which may be b).  The rows are kept in t,
 * T with room for i1 rows of 2d+2 while they do not repeat (t.s == t.m on
 * return means they have not yet).  Two-sided (onesided false): x becomes
 * c2, as above.  One-sided: x(i+d) becomes sqrt(w(i+d)) times the last point
 * of the smooth of b(1:i+d+1) alone, which is the first step of givinv for
 * that prefix, (-s)*0 + c*(entry i+d of Q'*[b; 0] after step i) with (c, s)
 * the stencil rotation, bit for bit, a single product even where w is (all
 * but) 0; x(0..d-1) are b(0..d-1); and, where h is not null, h(i+d) = c^2,
 * that point's leverage (the diagonal of the prefix's hat matrix at its end).
 * R(i,i) is kept with the rows, and, two-sided where st->sums is set, st->k
 * adds up |c1|^2 and log |det R| (steps.h).
 */
void smooth_forward(idx n, const stencil &S, double sigma, bool onesided, const double *rho, const double *y,
                    double *x, double *h, idx i0, idx i1, sweep *st, table *t);

/* Steps i0 <= i < i1 of the factorization alone, each R(i,i) into st->k's
 * log |det R|, nothing kept: what the restricted likelihood's bound needs
 * where the rows never repeat. */
void smooth_factor(idx n, const stencil &S, double sigma, const double *rho, idx i0, idx i1, sweep *st);

/* The same replay of Q' on [y; 0], into x, two-sided or one-sided (h as
 * above), from a table t the factorization filled: steps i0 <= i < i1,
 * carrying y(i..i+d-1) in carry (d_max doubles), adding up in k (where not
 * null) as smooth_forward does. */
void table_forward(idx n, const table &t, bool onesided, const double *y, double *x, double *h, idx i0, idx i1,
                   double *carry, tally *k);

/* What smooth_backward sums over the points with weight, from b and
 * sqrt(w).*z: |b - sqrt(w).*z|^2 = sum(w.*(y - z).^2), the trace of H (edf),
 * the number of points with weight less edf, and the sum of
 * w.*((y - z)./(1 - h)).^2; and what the forward pass adds up (steps.h). */
struct fit {
    double rss, edf, rest, loo;
    double squares;     /* |c1|^2 = sum(w.*(y - z).^2) + lambda*|D*z|^2, from the forward pass */
    double logdet;      /* log |det R| = sum(log |R(i,i)|), missing points' scale taken out */
};

/*
 * The leverages h(i) = H(i,i), H = (W + D'*D/sigma^2)^(-1)*W the hat matrix,
 * and q(i) = 1 - h(i), each computed without the other, so that both are
 * accurate where they are small.  H(i,i) is entry (i,i) of the projector
 * Q*[0 0; 0 I]*Q' onto the residuals, so h(i) is the squared norm of the
 * part of Q'*[e(i); 0] in c2 and q(i) that of the part in c1.  Q' reaches
 * e(i) at column i-d, after which the replay carries a state of d numbers
 * (y(k..k+d-1)) that each column maps linearly, state -> M(k)*state, writing
 * u(k)'*state to c1 and s0*state(1) to c2 (steps.h), and after the last
 * column the state itself to c2.  So with the d-by-d matrices G(m) = I,
 * K(m) = 0 and, for k = m-1 down to 0,
 *
 *      G(k) = s0^2*e1*e1' + M(k)'*G(k+1)*M(k)
 *      K(k) = u(k)*u(k)' + M(k)'*K(k+1)*M(k)
 *
 * h(k+d) = c(k)^2*G(k+1)(d,d), q(k+d) = s(k)^2 + c(k)^2*K(k+1)(d,d), (c, s)
 * the stencil rotation of column k, and h(0..d-1), q(0..d-1) are the
 * diagonals of G(0), K(0).
 */
struct smooth_criteria {
    const double *y;    /* the series b */
    const double *w;    /* its weights, or null: points of weight 0 left out of the sums */
    double *h, *q;      /* the leverages and their complements, or null */
    double gk[2 * state_max];   /* G and K from part to part */
    fit sums;           /* from the last point to the first (backward.cpp) */
    fit block;
    struct settling {   /* G and K within the cycle (backward.cpp) */
        bool settled;
        idx steps;
        double g[2][2 * state_max], hq[2][2];
    } cycle;
};

/* Steps k0 <= k < k1 (column m-1-k) of the replay of Q on [0; c2], in place:
 * x from c2 (as smooth_forward leaves it) to z, carrying z's d entries
 * that ride from step to step in carry (d_max doubles); and, where c is not
 * null, the leverages and the sums of c at the same steps. */
void smooth_backward(idx n, const table &t, double *x, idx k0, idx k1, double *carry, smooth_criteria *c);

/*
 * z at the points s(0) < s(1) < ... < s(ns-1) from z at all the others (the
 * sample times t, or null for 1:n).  The points fall into clusters, each
 * point within d of the next, that do not couple: each is solved alone.
 * A gap, a run of points of weight 0, is solved as its own least squares
 * problem: z there makes |D*z| least, the others held.  At an end of the
 * series that is the polynomial of degree d-1 through the d points beside
 * it (in t), on which D*z vanishes; inside, with equal spacing, the
 * polynomial of degree 2d-1 through the d points on either side, on which
 * D'*D*z vanishes (the 2d-th difference); with uneven t, which no polynomial
 * solves, the rotations of D's rows that touch the gap.  Any other cluster
 * takes the rows i = s(a) of the normal equations,
 *
 *      sigma^2*w(i)*z(i) + (D'*D*z)(i) = sigma^2*w(i)*y(i),
 *
 * with the known z(j) moved to the right: banded in the order of s, with
 * d entries either side, it is factored as L*diag(p)*L' (positive definite
 * where at least d points lie outside s, or carry weight) and solved.  Work
 * of (d+2)*ns entries.  y(i) is read only where w(i) > 0.
 */
void smooth_fill(idx n, const stencil &S, const double *t, double sigma, const double *w, const double *y,
                 const idx *s, idx ns, double *z, double *work);

} // namespace givqr

#endif
