/* smooth.h: the passes of givsmooth's kernels, each way */
#ifndef GIVQR_SMOOTH_H
#define GIVQR_SMOOTH_H

#include "cycle.h"
#include "stencil.h"
#include "sums.h"
#include "table.h"

namespace givqr {

/*
 * Smoothing a series y of n points with weights w >= 0: z minimizes
 * sum(w.*(z - y).^2) + |D*z|^2/sigma^2, D the (n-d)-by-n matrix of d-th
 * divided differences (stencil.h).  With rho = w.^(-1/2) and b = sqrt(w).*y,
 * [sqrt(w).*z; -sigma*v] is the residual of min |A*v - [b; 0]|,
 * A = [diag(rho)*D'; sigma*I]: with Q'*[b; 0] = [c1; c2] (c1 of length
 * m = n-d), sqrt(w).*z is the first n entries of Q*[0; c2].  Unweighted,
 * rho = 1 and b = y.  The passes work on one vector x of n entries:
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
 * givfact, givfwd and givinv.  Each pass runs in parts, steps i0 <= i < i1
 * from i0 = 0 to m, its state carried from part to part.
 */

/* What a forward pass makes from b, beside the factorization:
 *   forward_c2        c2 in x, as above
 *   forward_sums_c2   c2, and |c1|^2 and log |det R| (forward_sums)
 *   forward_onesided  x(i+d) = sqrt(w(i+d)) times the last point of the
 *                     smooth of b(1:i+d+1) alone, which is the first step
 *                     of givinv for that prefix, (-s)*0 + c*(entry i+d of
 *                     Q'*[b; 0] after step i) with (c, s) the stencil
 *                     rotation, bit for bit, a single product even where w
 *                     is (all but) 0; x(0..d-1) = b(0..d-1); and h(i+d) =
 *                     c^2, that point's leverage (the diagonal of the
 *                     prefix's hat matrix at its end)
 *   forward_logdet    log |det R| alone: no replay, no row kept */
enum forward_want { forward_c2, forward_sums_c2, forward_onesided, forward_logdet };

/* What smooth_forward carries from one part to the next: the factorization's
 * state, the replay's b(i..i+d-1) and its sums; and, set before the first
 * part, the step from which rho(i+d) no longer changes (0 unweighted): only
 * from there may the factorization's state repeat, and only where D's rows
 * are all the same. */
struct forward_state {
    sweep_state qr;
    double a[d_max + 1];
    idx steady = 0;
    forward_sums k;
    double ys = 1.0;    /* c1 enters |c1|^2 times this power of 2 (the series' scale) */
};

/* Steps i0 <= i < i1 of the factorization of A for the stencil S and sigma
 * (rho null: all 1), each step's rotations applied at once to b (y), into x
 * (which may be y), as want says.  The rows are kept in t (with room for i1
 * rows of 2d+2, and R(i,i) beside) while they do not repeat: t.s == t.m on
 * return means they have not yet. */
void smooth_forward(idx n, const stencil &S, double sigma, const double *rho, const double *y, double *x, double *h,
                    forward_want want, idx i0, idx i1, forward_state &st, table &t);

/* The same replay of Q' on [y; 0] into x, from a table t the factorization
 * filled (want forward_c2, forward_sums_c2 or forward_onesided, as above):
 * steps i0 <= i < i1, carrying y(i..i+d-1) and the sums in st. */
void table_forward(idx n, const table &t, const double *y, double *x, double *h, forward_want want, idx i0, idx i1,
                   forward_state &st);

/* What smooth_backward carries from one part to the next: z(i+1..i+d); and,
 * where sums is set, the series b (y) and its weights (w: null where all are
 * 1; points of weight 0 left out of the sums), where the leverages go (h,
 * or null), the recurrence's G and K (leverage.h), the sums so far, and
 * within a cycle of period 1 or 2, where G and K have settled. */
struct backward_state {
    double p[d_max + 1];
    bool sums = false;
    double ys = 1.0;    /* the residuals enter the sums times this power of 2 */
    const double *y = nullptr, *w = nullptr;
    double *h = nullptr;
    double gk[2 * state_max];
    point_sums s;
    struct {
        bool settled;
        idx steps;
        double g[2][2 * state_max], hq[2][2];   /* G, K and h, q at rows s-p, s-1 */
    } cycle;
};

/* Steps k0 <= k < k1 (column m-1-k) of the replay of Q on [0; c2], in place:
 * x from c2 (as smooth_forward leaves it) to sqrt(w).*z; and where st.sums,
 * the leverages and the sums at the same steps. */
void smooth_backward(idx n, const table &t, double *x, idx k0, idx k1, backward_state &st);

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
 * where at least d points lie outside s, or carry weight) and solved.  s
 * holds every point of weight 0.  Work of (d+2)*ns entries, and 2*ns in
 * ends.  y(i) is read only where w(i) > 0.
 */
void smooth_fill(idx n, const stencil &S, const double *t, double sigma, const double *w, const double *y,
                 const idx *s, idx ns, double *z, double *work, idx *ends);

/*
 * z, the smooth of y at the times S.t (null: 1:n) with weights w (null: all
 * 1; none where not above 0), given b = sqrt(w).*y (0 where w is; y where
 * w is null) in y, by a square-root information filter and its way back,
 * for any order d and at least d points with weight.  Its
 * state at point i is x(i) = (f[t(i-d+1..i)], ..., f[t(i-1), t(i)], z(i)),
 * the divided differences of z that end there, highest order first; from
 * point to point
 *
 *      x(i-1) = T(i)*x(i) - g(i)*e1*e(i),     e(i) = (D*z)(i-d),
 *
 * T(i) unit lower bidiagonal, T(p+1,p) = -(t(i) - t(i-d+1+p)), g(i) = (t(i) -
 * t(i-d))/d!: the spacings enter as differences of t and D is never
 * formed.  The filter carries R*x(i) = r, R upper triangular, from Newton's
 * form on the first d points; each step i meets it with the penalty row
 * e(i)/sigma = 0 (one rotation, the row it leaves kept in E for the way
 * back), brings R*T from Hessenberg back to triangular (d-1 rotations) and
 * takes in sqrt(w(i))*z(i) = sqrt(w(i))*y(i) against R's last row (one).
 * The way back: x(n-1) = R\r, then e(i) from E(i,:) and x(i), x(i-1) by
 * the recurrence.  Where z is smooth, lagged values of z nearly cancel in
 * D's rows, but these differences do not: z is as accurate as the data
 * allow at any sigma, with (d+2)*n doubles in E (row i at E + (d+2)*i,
 * rho(i) first; in a cycle of equal steps, only the part of each row that
 * r makes, state_cycle).  z null: the filter alone.  Where logdet is not null, the
 * restricted likelihood's sums as the sweep gives them (sums.h, smooth):
 * into *squares sum(w.*(y - z).^2) + |D*z|^2/sigma^2, times ys^2, from the
 * residuals the points leave (one each, 0 where w is), and into *logdet
 * log |det R| of the sweep's R (state_log_det).  Where h is not null (and
 * z), the leverages into h: h(i) = w(i)*var(z(i)), the variance that of
 * the posterior, (W + D'*D/sigma^2)^(-1): 1/S(d-1,d-1)^2, S the square
 * root of the information on x(i) from all the points, carried back from
 * R at the last point by d(d+1)/2 rotations a step (a square-root
 * information smoother).
 */
void state_smooth(idx n, const stencil &S, double sigma, const double *w, const double *y, double *z, double *E,
                  double ys = 1.0, double *logdet = nullptr, double *squares = nullptr, double *h = nullptr);

/* The one-sided smooth by state_smooth's filter alone: z(i), i >= d, the
 * last point of state_smooth's z for points 0..i, to the bit, and h(i) its
 * leverage there, as state_smooth's h has it; z and h before d are not
 * written; E scratch, (d+2)*n doubles. */
void state_onesided(idx n, const stencil &S, double sigma, const double *w, const double *b, double *z, double *h,
                    double *E);

/* The sums of point_sums over the n points from state_smooth's z and
 * leverages h (1 - h for the points' residual parts), against b =
 * sqrt(w).*y with the weights w (null: all 1) and the scale ys: point j of
 * each array at [K*j + l], lane l of K (K = 1, l = 0: one series). */
sums state_sums(idx n, const double *w, const double *b, double ys, const double *z, const double *h, int K, int l);

/* The times the state form takes for S (null: 1:n), and each of count
 * sigmas for them: where every row of D is one (stencil.h), the rows of 1:n
 * divided by h^d, so sigma*h^d. */
const double *state_times(const stencil &S, double *sigma, int count);

/*
 * log |det R| of the sweep's R for the same series, from the filter's:
 *
 *      (log det(W + D'*D/sigma^2) - sum(log(w)) over the points with
 *       weight)/2 + (n-d)*log(sigma)
 *
 * (the 2^256 of the sweep's missing points' rows taken out), which is
 * sum(log(rho(i)*sigma)) over the penalty rows kept (rho(i) at rho +
 * stride*i, i = d..n-1) and sum(log |R(k,k)|) of the filter's R at the end
 * (Rd), less sum(log(sqrt(w))), plus log |det J|, J the Jacobian of
 * (x(d-1), e(d..n-1)) in z (the transitions in between are unimodular):
 * 1/det(H) on the first d points and d!/prod(t(i) - t(i-k), k = 1..d) for
 * each e(i).  Each product as forward_sums takes it, the divisors' apart.
 * From step `from` on, rho(i) is crho((i - from) mod per) instead: the
 * rows of a cycle, which E does not keep whole.
 */
double state_log_det(idx n, const stencil &S, double sigma, const double *w, const double *rho, idx stride,
                     const double *Rd, idx from = -1, idx per = 1, const double *crho = nullptr);

/* The lanes this machine runs series in, K at once (1: none, each series
 * on its own): 8 with AVX-512F, 4 with AVX2, 2 with SSE2 or NEON (lanes.cpp);
 * the environment variable GIVQR_LANES asks for fewer, 1 none (for tests
 * and benchmarks).  Lanes change no bits. */
int lane_width();

/* The lanes of lane_width, halved until K lanes of per_lane doubles each
 * take at most 2^23 doubles (64 MB). */
int lanes_within(double per_lane);

/* K series of n points (K from lane_width), each with its own rho and
 * sigma, through smooth_forward (want forward_c2) and smooth_backward at
 * once, each series in a lane, its bits its own smooth's: x from b to
 * sqrt(w).*z in place.  Point i of series l lies at x[K*i + l], and rho
 * alike; sigma holds K; T is scratch of (2d+2)*(n-d)*K.  x, rho and T are
 * aligned to 8*K bytes. */
void smooth_lanes(int K, idx n, const stencil &S, const double *sigma, const double *rho, double *x, double *T);

/* K series of n points at once (K from lane_width), one in each lane, each
 * with its sigma and its residuals' scale ys, through state_smooth's
 * filter and, where z is not null, its way back, each lane's bits its own
 * series': lane-major (point i of series l at [K*i + l]) the weights w (1
 * for a series without), b = sqrt(w).*y (0 where w is), z (which may be
 * b), and E ((d+2)*n*K); t and the sigmas as state_times gives them.  Into
 * sq[l] lane l's squares (as *squares), into Rd[d*l .. d*l+d-1] its R's
 * diagonal at the end, and its kept rows in E for state_log_det (rho(i)
 * at E + (d+2)*K*i + l); where h is not null (and z), the leverages
 * there, as state_smooth's.  w, b, z, h and E are aligned to 8*K bytes. */
void state_lanes(int K, idx n, int d, const double *t, const double *sigma, const double *w, const double *b,
                 const double *ys, double *z, double *E, double *sq, double *Rd, double *h = nullptr);

/* K series of n points at once (K from lane_width), one in each lane,
 * lane-major as in smooth_lanes (rho, b, the weights w: 1 for a series
 * without), each with its sigma and its residuals' scale ys, through
 * smooth_forward's factorization and Q' on [b; 0] as far as forward_sums
 * needs: in lane l, |c1|^2 (c1 times ys) as forward_sums::square sums it
 * over the m = n-d steps, into sq[l] and block[l]; R(i,i) of step i to
 * Rd[K*i + l]; and the state L at the start of each step i >= from,
 * d(d+1)/2 numbers, to Ls[K*(d(d+1)/2*(i-from) + k) + l].  Where T is not
 * null, smooth_backward's sums too (backward_state.sums): the rows of Q in
 * T ((2d+2)*m*K), z in x (K*n, lane-major, scratch), and against b with
 * the weights w the totals of point_sums, lane l's rss, edf, rest and loo
 * in totals[4l .. 4l+3]; where h is not null, the leverages there (K*n,
 * lane-major, as backward_state.h has them).  Rd, Ls, T, x, h, rho, b and
 * w are aligned to 8*K bytes. */
void sums_lanes(int K, idx n, const stencil &S, const double *sigma, const double *rho, const double *b,
                const double *w, const double *ys, double *sq, double *block, double *Rd, double *Ls, idx from,
                double *T, double *x, double *totals, double *h = nullptr);

} // namespace givqr

#endif
