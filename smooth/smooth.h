/* smooth.h: the kernels of givsmooth */
#ifndef GIVQR_SMOOTH_H
#define GIVQR_SMOOTH_H

#include "QR.h"
#include "table.h"

namespace givqr {

/*
 * Smoothing a series y of n points: z minimizes |z - y|^2 + |D*z|^2/sigma^2,
 * and [z; -sigma*w] is the residual of min |A*w - [y; 0]|, A = [D'; sigma*I]:
 * with Q'*[y; 0] = [c1; c2] (c1 of length m = n-2), z is the first n entries
 * of Q*[0; c2].  The kernels work on one vector x of n entries:
 *
 *      smooth_forward    y  ->  c2, held as x = (c(m), c(m+1), c(n), ..., c(2n-3))
 *      smooth_backward   c2 ->  z, in place
 *
 * that is, x(i+2) is c(n+i), the sigma row of column i, which the forward
 * replay writes at step i (reading y(i+2), which may lie there) and the
 * backward replay reads at its step for column i, just before writing
 * z(i+2) there.  The operations and their order are those of givfwd on
 * [y; 0], then givinv on [0; c2]: z has the bits of givsmooth's recipe with
 * givfact, givfwd and givinv.
 */

/* What smooth_forward carries from one part to the next: the factorization's
 * state, and the replay's y(i), y(i+1). */
struct sweep {
    QR_state qr;
    double a, b;
};

/*
 * Steps i0 <= i < i1 (run from i0 = 0 to m in parts) of the factorization
 * of A for sigma, each step's rotations applied at once to y, into x (which
 * may be y).  The rows are kept in t, T with room for i1 rows while they do
 * not repeat (t.s == t.m on return means they have not yet).  Two-sided
 * (onesided false): x becomes c2, as above.  One-sided: x(i+2) becomes the
 * last point of the smooth of y(1:i+3) alone, which is the first step of
 * givinv for that prefix, (-s2)*0 + c2*(entry i+2 of Q'*[y; 0] after step
 * i), bit for bit; x(0), x(1) are y(0), y(1); and, where h is not null,
 * h(i+2) = c2^2, that point's leverage (the diagonal of the prefix's hat
 * matrix at its end).
 */
void smooth_forward(idx n, double sigma, bool onesided, const double *y, double *x, double *h, idx i0, idx i1,
                    sweep *st, table *t);

/* The same replay of Q' on [y; 0], into x, two-sided or one-sided (h as
 * above), from a table t the factorization filled: steps i0 <= i < i1,
 * carrying y(i), y(i+1) in carry. */
void table_forward(idx n, const table &t, bool onesided, const double *y, double *x, double *h, idx i0, idx i1,
                   double carry[2]);

/* What smooth_backward sums, from the series y and its smooth z:
 * |y - z|^2, the trace of H (edf), n - edf, and the sum of ((y - z)./(1 - h)).^2. */
struct fit {
    double rss, edf, rest, loo;
};

/*
 * The leverages h(i) = H(i,i), H = (I + D'*D/sigma^2)^(-1) the hat matrix,
 * and q(i) = 1 - h(i), each computed without the other, so that both are
 * accurate where they are small.  Row i of H is row i of Q*[0 0; 0 I]*Q'
 * restricted to the series, so h(i) is the squared norm of the part of
 * Q'*[e(i); 0] in c2 and q(i) that of the part in c1.  Q' reaches e(i) at
 * column i-2, after which the replay carries a state (y(k), y(k+1)) that
 * each column maps linearly, (a, b) -> M(k)*(a, b):
 *
 *      M = [s1*c0, c1; s2*c1*c0, -s2*s1],   writing s0*a to c2, c2*(c1*c0*a - s1*b) to c1
 *
 * and, after the last column, the state itself to c2.  So with the 2x2
 * matrices G(m) = I, K(m) = 0 and, for k = m-1 down to 0,
 *
 *      G(k) = s0^2*e1*e1' + M(k)'*G(k+1)*M(k)
 *      K(k) = c2^2*[c1*c0; -s1]*[c1*c0, -s1] + M(k)'*K(k+1)*M(k)
 *
 * h(k+2) = c2(k)^2*G(k+1)(2,2), q(k+2) = s2(k)^2 + c2(k)^2*K(k+1)(2,2), and
 * h(0), h(1), q(0), q(1) are the diagonals of G(0), K(0).
 */
struct smooth_criteria {
    const double *y;    /* the series */
    double *h, *q;      /* the leverages and their complements, or null */
    double gk[6];       /* G and K from part to part */
    fit sums;           /* from the last point to the first (smooth_backward.cpp) */
    fit block;
    struct settling {   /* G and K within the cycle (smooth_backward.cpp) */
        bool settled;
        idx steps;
        double g[2][6], hq[2][2];
    } cycle;
};

/* Steps k0 <= k < k1 (column m-1-k) of the replay of Q on [0; c2], in place:
 * x from c2 (as smooth_forward leaves it) to z, carrying z's two entries
 * that ride from step to step in carry; and, where c is not null, the
 * leverages and the sums of c at the same steps. */
void smooth_backward(idx n, const table &t, double *x, idx k0, idx k1, double carry[2], smooth_criteria *c);

} // namespace givqr

#endif
