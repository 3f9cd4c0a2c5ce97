/* givsmooth.h: smoothing k series at once, as givsmooth's gateways call it */
#ifndef GIVQR_GIVSMOOTH_H
#define GIVQR_GIVSMOOTH_H

#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

#include "elementary.h"
#include "givsmooth_check.h"
#include "pages.h"
#include "smooth.h"

namespace givqr {

/* Where the results go: z (n*k, series j at z + j*n) and, where info is
 * asked for, the rest (k or n*k each); the robust fits' weights and count
 * where asked too. */
struct smooth_out {
    double *z;
    double *sigma, *lambda, *edf, *gcv, *loocv;     /* null: no info */
    double *leverage, *stderror;
    double *weights, *iterations;                   /* null: not robust, or no info */
    double *reml = nullptr;                         /* with the info */
    double *reached = nullptr;                      /* 'EDF': the edf reached where it missed, else NaN (k) */
};

/* Columns per part of each kernel's run: between parts the calling thread
 * lets the host act on an interrupt, and every thread sees a stop. */
constexpr idx part_steps = idx(1) << 16;

/* The calling thread's pause between parts (the host's interrupt check,
 * which may throw), and the flag that stops every thread. */
struct pace {
    void (*between)();
    const std::atomic<bool> *stop;
    bool go() const
    {
        if (between) between();
        return !stop->load(std::memory_order_relaxed);
    }
};

/* Memory for up to capacity doubles, taken whole and not cleared, with huge
 * pages asked for: only what is written takes memory (the system maps a page
 * at its first write), and few page faults. */
struct memory {
    std::unique_ptr<double[]> p;
    idx capacity = 0;

    double *reserve(idx count)
    {
        if (count > capacity) {
            p.reset();
            p.reset(new double[count]);
            huge_pages(p.get(), count * sizeof(double));
            capacity = count;
        }
        return p.get();
    }
};

/* A weighted series as the kernels take it (smooth.h): w (0 where y is
 * NaN), rho = w.^(-1/2) (missing_scale where w is 0) and b = sqrt(w).*y (0
 * there), n each in store; the step from which rho no longer changes; the
 * points smooth_fill gives z, with its work; and n_o, the points with
 * weight. */
struct weighing {
    memory store;
    double *w = nullptr, *rho = nullptr, *b = nullptr;
    std::vector<double> work;
    std::vector<idx> weak;
    idx steady = 0, observed = 0;
};

/* Sets g for the series y of n points with weights w times v (either null:
 * all 1), for differences of order d. */
void weigh(idx n, int d, const double *y, const double *w, const double *v, weighing &g);

/* One thread's room: a table of up to m rows of order d.  Only the rows
 * that do not repeat are ever written, so only they take memory. */
struct room {
    memory T, R;
    table t;

    void reserve(idx rows, int d)
    {
        t.T = T.reserve((2 * d + 2) * rows);
        t.R = R.reserve(rows);
    }
};

/* z = the smooth of y (n points) for the stencil S at sigma, weighted as g
 * says where g is not null, into x, with its table in r.t, or from the
 * table t where not null (a factorization shared with series of the same
 * weights); and, where f is not null, its sums (smooth_backward), with the
 * leverages in h where h is not null.  Returns false where stopped. */
bool smooth_one(idx n, const stencil &S, double sigma, weighing *g, const double *y, double *x, double *h, room &r,
                fit *f, const pace &p, const table *t = nullptr);

/* Only the forward pass of smooth_one, adding up in f its squares and log
 * |det R| (fit), all the restricted likelihood needs.  Returns false where
 * stopped. */
bool tally_one(idx n, const stencil &S, double sigma, weighing *g, const double *y, double *x, room &r, fit *f,
               const pace &p);

/* log |det R| of the factorization for sigma alone into f (smooth_factor).
 * Returns false where stopped. */
bool log_det(idx n, const stencil &S, double sigma, weighing *g, fit *f, const pace &p);

/* The criterion c (gcv, loocv or reml, givsmooth_check.h) from the sums f
 * of a series with n_o points with weight, order d (NaN where f's log |det
 * R| is). */
inline double criterion_of(int c, const fit &f, double no, int d)
{
    const double dof = no - double(d);
    if (c == loocv) return f.loo / no;
    if (c == reml) return std::isnan(f.logdet) ? f.logdet : dof * log_of(f.squares / dof) + 2.0 * f.logdet;
    return no * f.rss / (f.rest * f.rest);
}

/* What choose chose: sigma (NaN where stopped, or where y gives no
 * criterion at all); for an edf, whether it missed it by more than a
 * relative 1e-8, and the edf there. */
struct choice {
    double sigma;
    bool missed;
    double edf;
};

/* The sigma the criterion (gcv, loocv or reml, givsmooth_check.h) picks
 * for the series y of n points, weighted as g says where not null, or,
 * where edf > 0, the sigma whose smooth has that edf; x is scratch of n
 * entries. */
choice choose(idx n, const stencil &S, weighing *g, const double *y, int criterion, double edf, double *x, room &r,
              const pace &p);

/* The range choose searches, in lambda = 1/sigma^2, for n points, the
 * stencil S and the weights' mean scale, and the step of its grid in
 * decades. */
void search_range(idx n, const stencil &S, double scale, double *lambda_min, double *lambda_max, double *step);

/* Series j of y (n*k) at sigma as c asks, two-sided or one-sided, weighted
 * as g says where not null, from its own factorization, or from t where the
 * factorization is shared; the info where o asks, its leverages in h (the
 * series' own in o.leverage, or null).  Returns false where stopped. */
bool series(const smooth_call &c, const stencil &S, idx j, double sigma, weighing *g, const double *y,
            const smooth_out &o, double *h, room &r, const table *t, const pace &p);

/* No penalty (sigma = Inf): z = y where it has weight, H = I there; the gaps
 * filled by D'*D*z = 0 (the limit); the info of series j where o asks. */
void interpolate(idx n, const stencil &S, idx j, weighing *g, const double *y, double *z, const smooth_out &o);

/* The info of series j at sigma from its sums f, with its leverages in
 * place in o.leverage (d the order). */
void report(idx n, int d, idx j, double sigma, const fit &f, const weighing *g, const smooth_out &o);

/* The sigma that c's criterion, or its edf, chooses for series j (y, its
 * points), with what choose says of a missed edf in o.reached. */
double pick(const smooth_call &c, const stencil &S, idx j, weighing *g, const double *y, double *z, room &r,
            const pace &p, const smooth_out &o);

/* Tukey's bisquare (robust fits): the tuning constant, in scales; the root
 * mean square change of the weights below which they have settled; the most
 * fits. */
constexpr double bisquare_c = 4.685;
constexpr double robust_settled = 1e-3;
constexpr int robust_fits = 20;

/* One thread's weighted room: the series' weighing, and for robust fits
 * their weights, scratch and leverages, n each in store. */
struct weighted_room {
    weighing g;
    memory store;
};

/* Series j as c asks, weighted (w its weights, or null), or robust: fits of
 * the two-sided smooth, each reweighed from the last, until the weights
 * settle or robust_fits have been made; then, one-sided, the smooth with
 * the last weights.  Returns false where stopped. */
bool weighted_series(const smooth_call &c, const stencil &S, idx j, const double *y, const double *w,
                     const smooth_out &o, weighted_room &wr, room &r, const pace &p);

/* The most memory givsmooth takes beyond its outputs, on threads threads:
 * a table of all rows of order d for each, and where weighted, 3 + (d+2)
 * (the fill's work, at most) + 4 (robust) vectors of n more; and the rows
 * of D for uneven sample times. */
inline double smooth_work_bytes(idx n, int threads, bool weighted, int d, bool times)
{
    const double each = 2.0 * d + 2.0 + (weighted ? 9.0 + d : 0.0);
    return 8.0 * double(n) * (each * double(threads) + (times ? d + 1.0 : 0.0));
}

/* Smooths the k series of y (n*k) as c asks, at the sample times t (n, or
 * null: 1:n), with the weights w (n or n*k, or null) into out, on at most
 * threads threads; between as in pace.  Returns false where memory ran out. */
bool givsmooth(const smooth_call &c, const double *y, const double *w, const double *t, const smooth_out &out,
               int threads, void (*between)());

} // namespace givqr

#endif
