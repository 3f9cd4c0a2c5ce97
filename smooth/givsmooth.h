/* givsmooth.h: smoothing k series at once, as givsmooth's gateways call it */
#ifndef GIVQR_GIVSMOOTH_H
#define GIVQR_GIVSMOOTH_H

#include <atomic>
#include <cmath>
#include <cstddef>
#include <vector>

#include "givsmooth_check.h"
#include "memory.h"
#include "smooth.h"
#include "weights.h"

namespace givqr {

/* What an 'EDF' search found where it missed its target: the edf reached
 * (NaN where it met the target to a relative 1e-8), and whether the target
 * lies beyond the range (edf from d + 0.01 to n_o - 0.01) rather than
 * rounding keeping it from being met. */
struct edf_miss {
    double edf;
    bool beyond;
};

/* Where the results go: z (n*k, series j at z + j*n) and, where info is
 * asked for, the rest (k, or n*k, each as info_fields says); the robust
 * fits' weights and count where asked too; for 'EDF', what each series
 * missed (k); and the columns that cannot be smoothed, 1 in unobserved (k,
 * their z and info NaN). */
struct smooth_out {
    double *z;
    bool info = false;
    double *sigma = nullptr, *lambda = nullptr, *edf = nullptr, *gcv = nullptr, *loocv = nullptr, *reml = nullptr;
    double *range_end = nullptr;
    double *leverage = nullptr, *stderror = nullptr;
    double *weights = nullptr, *iterations = nullptr;
    edf_miss *missed = nullptr;
    unsigned char *unobserved = nullptr;
};

/* The fields of the info, in the order the struct holds them: their name,
 * whether they hold a number for each point (the size of y) or for each
 * series (1-by-k), and where smooth_out takes them; the robust fits add the
 * last two. */
struct info_field {
    const char *name;
    bool per_point;
    double *smooth_out::*to;
};
constexpr int info_count = 9, robust_info_count = 11;
extern const info_field info_fields[robust_info_count];

/* The calling thread's pause between parts (the host's interrupt check,
 * which may throw), and the flag that stops every thread. */
struct interrupts {
    void (*between)();
    const std::atomic<bool> *stop;
    bool go() const
    {
        if (between) between();
        return !stop->load(std::memory_order_relaxed);
    }
};

/* One thread's table of up to m rows of order d, each of width numbers
 * (2d+2, the spline's 2d+4: table.h).  Only the rows that do not repeat
 * are ever written, so only they take memory. */
struct workspace {
    memory T, R;
    table t;
    memory lanes;       /* squares_at's */
    memory E;           /* state_smooth's */

    static int width(const stencil &S) { return 2 * S.d + (S.low ? 4 : 2); }
    static idx doubles(idx rows, int width) { return (width + 1) * rows; }
    void reserve(idx rows, int width)
    {
        t.T = T.reserve(width * rows);
        t.R = R.reserve(rows);
    }
};

/* The powers of 2 that bring a series to unit scale, exactly: its weights
 * times 4^-a (weights.h), its sample times times 2^-b (so that D's rows are
 * 2^bd times those of t, bd = b*d), y times 2^-c in the sums.  So sigma*2^(a
 * + bd) smooths the scaled series as sigma smooths it, and every sum is the
 * scaled one's times a power of 2. */
struct scales {
    int a = 0, bd = 0, c = 0;
};

/* One series as the kernels take it: n points, D's rows, its weights (null:
 * every point has weight 1), the series y, and where another series of the
 * same weights has been factored, its table (else null); its scales. */
struct problem {
    idx n;
    const stencil &S;
    weights *g;
    const double *y;
    const table *factored;
    scales u;
};

/* The sigma of the scaled series that smooths p as sigma does p itself. */
inline double scaled_sigma(const problem &p, double sigma)
{
    return std::ldexp(sigma, p.u.a + p.u.bd);
}

/* What smooth makes of a series, each also what those before it make:
 *   want_logdet      log |det R| alone (f.squares 0, f.logdet), no z
 *   want_squares     the forward pass: f.squares and f.logdet (x scratch)
 *   want_z           z
 *   want_sums        z and every sum of f
 *   want_leverages   and the leverages in h */
enum want { want_logdet, want_squares, want_z, want_sums, want_leverages };

/* z = the smooth of p at sigma into x (the first two: x scratch), with its
 * table in w.t, or replayed from p.factored; what else `what` says in f and
 * h.  Returns false where stopped. */
bool smooth(const problem &p, double sigma, want what, double *x, double *h, sums &f, workspace &w,
            const interrupts &c);

/* Orders 3 and 4, and uneven times (D's rows not all one), take z and the
 * restricted likelihood's sums from the state form (state_smooth), which
 * keeps its digits where the sweep's lagged values cancel and where two
 * times nearly coincide; the one-sided smooth follows the two-sided (the
 * last points of state_smooth's, state_onesided); the smoothing spline is
 * the sweep's. */
inline bool by_state(const stencil &S)
{
    return (S.d >= 3 || S.D) && !S.low;
}

/* The same at sigma (the scaled series'): order 2 at equal spacing too
 * where lambda, in units of the spacing and of the scaled weights, passes
 * 1e16, |sigma| < 1e-8.  There the sweep's lagged values cancel as at the
 * higher orders (z 4e-10 of max |y| off at n = 1e6, lambda = 1e16, and
 * 4e-9 at 1e21, where the state form's is 9e-13); up to it the sweep's
 * bits are kept. */
inline bool by_state(const stencil &S, double sigma)
{
    if (by_state(S) || S.d != 2 || S.low) return by_state(S);
    state_times(S, &sigma, 1);
    return std::fabs(sigma) < 1e-8;
}

/* Where the state form gives the leverages and the other criteria's sums
 * too: at uneven times, and at equal spacing where the penalty outweighs
 * the unit weights, |sigma|*h^d < 1.  Below that, h near 1 at every point,
 * its 1 - h loses digits that the sweep's, computed apart, keeps (measured:
 * 7.9e-11 relative against 3.3e-12 at d = 4, sigma = 100, a gap of 400 of
 * 2000 points), and the sweep has not yet lost its own.  There
 * want_sums is all the sweep's, z too (a criterion's value); the info,
 * want_leverages, still takes z, its squares and log det from the state
 * form, so that z is the same whatever is asked for.  Order 2 takes the
 * sweep's sums wherever it takes the state form's z: its leverages and edf
 * stay within 1e-9 there (n = 1e6, lambda = 1e21), and the state form's
 * made a GCV choice at n = 1e6 take 1.6 times as long. */
inline bool state_sums_at(const stencil &S, double sigma)
{
    if (!by_state(S) || S.D) return by_state(S);
    state_times(S, &sigma, 1);
    return std::fabs(sigma) < 1.0;
}

/* z = rho.*x (x the weighted smooth sqrt(w).*z), filled at p's weak
 * points from the others, at sigma. */
void unweigh(const problem &p, double sigma, double *x);

/* The doubles a lane of sums_of_many takes for n points of order d (its
 * states, the rows of Q, z, rho, b and w), and the lanes it runs p in
 * (smooth.h, lanes_within), or 1: none; for the restricted likelihood
 * alone (reml), where the state form makes its sums, (d+4)*n a lane. */
double sums_lane_doubles(idx n, int d);
int lanes_for_sums(const problem &p, bool reml = false);

/* smooth (*ps[l], sigma[l], what[l], ...) for l < count <= K (want_logdet,
 * want_squares, want_sums or want_leverages), K series of the same n and
 * stencil at once, one in each lane (lanes_for_sums of the first), the
 * same bits: f[l], and for want_leverages z in zs[l] and the leverages in
 * hs[l] (n each).  Returns false where stopped. */
bool sums_of_many(const problem *const *ps, const want *what, const double *sigma, int count, int K, sums *f,
                  workspace &w, const interrupts &c, double *const *zs = nullptr, double *const *hs = nullptr);


/* The one-sided smooth of p at sigma into z: z(t) the last point of the
 * smooth of y(1:t), the leverage of each point as its prefix's last in h
 * (or null), from the d-th point with weight on (before it, the caller's).
 * Returns false where stopped. */
bool smooth_onesided(const problem &p, double sigma, double *z, double *h, workspace &w, const interrupts &c);

/* What choose chose: sigma (NaN where stopped, or where y gives no
 * criterion at all), for the scaled series; where in the range it lies: -1
 * at its lower end (edf n_o - 0.01), 1 at its upper end (edf d + 0.01), 0
 * inside; for an edf, what it missed (edf NaN where met). */
struct choice {
    double sigma;
    int end;
    edf_miss missed;
};

/* The grid choose searches: lambda = lambda_min*10^(x*step) at x, the
 * scan from x = 0 to J, where lambda_max lies; the range from lo, where
 * n_o - edf <= 0.01, to hi (J and up, as far as edf > d + 0.01 needs).
 * lambda_min = lm*4^-ne, so that it can lie below the least double. */
struct search_grid {
    double lm, lmax, step, scale;
    int ne;
    idx J, lo, hi;

    /* sigma = lambda^(-1/2) at x */
    double sigma(double x) const;
    /* log(lambda_min) */
    double log_lmin() const;
};
search_grid grid_of(const problem &p);

/* The sigma the criterion (gcv, loocv or reml, givsmooth_check.h) picks
 * for p, or, where edf > 0, the sigma whose smooth has that edf (choose_edf);
 * x is scratch of n entries. */
choice choose(const problem &p, int criterion, double edf, double *x, workspace &w, const interrupts &c);

/* The values a series' search on grid g has had made (choose_many), each
 * at a point x of the grid (sigma = g.sigma (x)), and the one it waits for:
 * find gives one it has, or notes it as the one it waits for.  (Kept by x,
 * a search's own coordinate, sigma is worked out once a value.) */
struct made_values {
    struct value {
        want what;
        double x, sigma;
        sums s;
    };
    std::vector<value> made;
    bool waiting = false;
    value next;

    bool find(want what, double x, const search_grid &g, sums &f)
    {
        for (const value &v : made)
            if (v.what == what && v.x == x) {
                f = v.s;
                return true;
            }
        waiting = true;
        next = {what, x, g.sigma(x), {}};
        return false;
    }
};

/* The sigma whose smooth has that edf; where values is set, the sums come
 * from it (a value it lacks stops the search, values.waiting set). */
choice choose_edf(const problem &p, double edf, double *x, workspace &w, const interrupts &c,
                  made_values *values = nullptr);

/* choose (*ps[l], criterion, edf, ...) for l < count <= K, the series of
 * the same n and stencil, into out[l], the same bits: each series' search
 * is run again from its start whenever the values it has asked for are
 * made, which the lanes make for all of them at once (sums_of_many).  x is
 * scratch of n entries.  Returns false where stopped. */
bool choose_many(const problem *const *ps, int count, int K, int criterion, double edf, choice *out, double *x,
                 workspace &w, const interrupts &c);

/* Series j of c at sigma (of the scaled series), two-sided or one-sided,
 * with the info of series j where o asks (its leverages in h: the series'
 * own in o.leverage, or null); where it has no more points with weight than
 * d, z = y there, the gaps filled (no residual: the criteria NaN).  Returns
 * false where stopped. */
bool series(const smooth_call &c, const problem &p, idx j, double sigma, const smooth_out &o, double *h,
            workspace &w, const interrupts &ic);

/* The info of series j at sigma (of the scaled series; `shown` the user's)
 * from its sums f, with its leverages in place in o.leverage, in the units
 * of the series as given. */
void report(const problem &p, idx j, double shown, const sums &f, const smooth_out &o);

/* The sigma (of the scaled series) that c's criterion, or its edf, chooses
 * for series j, or sigma as given, scaled; with where it lies in the range
 * in o.range_end, and what choose says of a missed edf in o.missed. */
double pick(const smooth_call &c, const problem &p, idx j, double *z, workspace &w, const interrupts &ic,
            const smooth_out &o);

/* The sigma of choice ch for series j, where it lies in the range and a
 * missed edf into o, as pick gives them. */
double picked(const choice &ch, idx j, const smooth_out &o);

/* Tukey's bisquare (robust fits): the tuning constant, in scales; the root
 * mean square change of the weights below which they have settled; the most
 * fits. */
constexpr double bisquare_c = 4.685;
constexpr double robust_settled = 1e-3;
constexpr int robust_fits = 20;

/* One thread's memory for weighted series: the series' weights, and for
 * robust fits their bisquare weights, scratch and leverages, n each in
 * store. */
struct weighted_work {
    weights g;
    memory store;
    static idx doubles(idx n, int d) { return (3 + (d + 4) + 4) * n; }     /* weigh, smooth_fill, robust */
};

/* Series j of y as c asks, weighted (w its weights, or null), or robust
 * (robust_many), at the scales u (of its times; its weights' and values'
 * found here).  Returns false where stopped. */
bool weighted_series(const smooth_call &c, const stencil &S, idx j, const double *y, const double *w,
                     const smooth_out &o, weighted_work &ww, workspace &ws, const interrupts &ic, scales u);

/* Series cols[l] of *ps[l] (weighed in ww[l] as it goes, w[l] the user's
 * weights, or null), l < count <= K, robust: fits of the two-sided smooth,
 * each reweighed from the last, until the weights settle or robust_fits
 * have been made; then, one-sided, the smooth with the last weights.  The
 * series go in lockstep, each fit of those whose weights have not settled
 * made at once in lanes (their sigmas chosen at once, choose_many), the
 * same bits as each alone.  Returns false where stopped. */
bool robust_many(const smooth_call &c, problem *const *ps, const idx *cols, const double *const *w, int count, int K,
                 const smooth_out &o, weighted_work *ww, workspace &ws, const interrupts &ic);

/* The most memory givsmooth takes beyond its inputs and outputs, on
 * threads threads: a workspace for each, and where a series is weighted
 * (weights, NaN in y, robust) their weighted work; and the rows of D for
 * sample times. */
double smooth_work_bytes(const smooth_call &c, const smooth_args &g, const double *y, int threads);

/* Smooths the k series of y (n*k) as c asks, at the sample times t (n,
 * non-decreasing, or null: 1:n), with the weights w (n or n*k, or null)
 * into out, on at most threads threads; between as in interrupts.  Points
 * at one time are merged, as one with their weights' sum and y their
 * weighted mean, and take its z.  Returns smoothed, or why not. */
enum smooth_result { smoothed, short_of_memory, times_too_close };
smooth_result givsmooth(const smooth_call &c, const double *y, const double *w, const double *t,
                        const smooth_out &out, int threads, void (*between)());

/* The texts of the warnings, into buf, where c gives them: for the first
 * series whose 'EDF' was missed, the edf asked, the series (from 1), why
 * and the edf reached; the columns that cannot be smoothed, the first few,
 * then how many more.  They do not name the command: Octave puts "cmd: "
 * before a MEX file's, and the oct-files do so themselves.  Each returns
 * whether there is one. */
bool edf_warning(const smooth_call &c, const smooth_out &out, char *buf, std::size_t size);
bool unobserved_warning(const smooth_call &c, const smooth_out &out, char *buf, std::size_t size);

} // namespace givqr

#endif
