/* givsmooth.h: smoothing k series at once, as givsmooth's gateways call it */
#ifndef GIVQR_GIVSMOOTH_H
#define GIVQR_GIVSMOOTH_H

#include <atomic>
#include <memory>
#include <vector>

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
 * all 1). */
void weigh(idx n, const double *y, const double *w, const double *v, weighing &g);

/* One thread's room: a table of up to m rows.  Only the rows that do not
 * repeat are ever written, so only they take memory. */
struct room {
    memory T;
    table t;

    void reserve(idx rows) { t.T = T.reserve(6 * rows); }
};

/* z = the smooth of y (n points) at sigma, weighted as g says where g is not
 * null, into x, with its table in r.t, or from the table t where not null
 * (a factorization shared with series of the same weights); and, where f is
 * not null, its sums (smooth_backward), with the leverages in h where h is
 * not null.  Returns false where stopped. */
bool smooth_one(idx n, double sigma, weighing *g, const double *y, double *x, double *h, room &r, fit *f,
                const pace &p, const table *t = nullptr);

/* The sigma the criterion (generalized cross-validation, or leave-one-out)
 * picks for the series y of n points, weighted as g says where not null; x
 * is scratch of n entries.  NaN where stopped, or where y gives no
 * criterion at all. */
double choose(idx n, weighing *g, const double *y, bool loocv, double *x, room &r, const pace &p);

/* Tukey's bisquare (robust fits): the tuning constant, in scales; the root
 * mean square change of the weights below which they have settled; the most
 * fits. */
constexpr double bisquare_c = 4.685;
constexpr double robust_settled = 1e-3;
constexpr int robust_fits = 20;

/* The range choose searches, in lambda = 1/sigma^2, for n points. */
void search_range(idx n, double *lambda_min, double *lambda_max);

/* The most memory givsmooth takes beyond its outputs, on threads threads:
 * a table of all rows for each, and where weighted, 3 + 3 (the fill's
 * work, at most) + 4 (robust) vectors of n more. */
inline double smooth_work_bytes(idx n, int threads, bool weighted)
{
    return 8.0 * double(n) * (weighted ? 14.0 : 6.0) * double(threads);
}

/* Smooths the k series of y (n*k) as c asks, with the weights w (n or n*k,
 * or null) into out, on at most threads threads; between as in pace.
 * Returns false where memory ran out. */
bool givsmooth(const smooth_call &c, const double *y, const double *w, const smooth_out &out, int threads,
               void (*between)());

} // namespace givqr

#endif
