/* givsmooth.h: smoothing k series at once, as givsmooth's gateways call it */
#ifndef GIVQR_GIVSMOOTH_H
#define GIVQR_GIVSMOOTH_H

#include <atomic>
#include <memory>

#include "givsmooth_check.h"
#include "pages.h"
#include "smooth.h"

namespace givqr {

/* Where the results go: z (n*k, series j at z + j*n) and, where info is
 * asked for, the rest (k or n*k each). */
struct smooth_out {
    double *z;
    double *sigma, *lambda, *edf, *gcv, *loocv;     /* null: no info */
    double *leverage, *stderror;
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

/* One thread's room: a table of up to m rows.  Its block is taken whole at
 * once, but only the rows that do not repeat are ever written, so only they
 * take memory (the system maps a page at its first write). */
struct room {
    std::unique_ptr<double[]> T;
    idx capacity = 0;   /* rows */
    table t;

    void reserve(idx rows)
    {
        if (rows <= capacity) return;
        T.reset();
        T.reset(new double[6 * rows]);
        huge_pages(T.get(), 6 * rows * sizeof(double));
        capacity = rows;
        t.T = T.get();
    }
};

/* z = the smooth of y (n points) at sigma, into x, with its table in r.t;
 * and, where f is not null, its sums (smooth_backward), with the leverages
 * in h where h is not null.  Returns false where stopped. */
bool smooth_one(idx n, double sigma, const double *y, double *x, double *h, room &r, fit *f, const pace &p);

/* The sigma the criterion (generalized cross-validation, or leave-one-out)
 * picks for the series y of n points; x is scratch of n entries.  NaN where
 * stopped, or where y gives no criterion at all. */
double choose(idx n, const double *y, bool loocv, double *x, room &r, const pace &p);

/* The range choose searches, in lambda = 1/sigma^2, for n points. */
void search_range(idx n, double *lambda_min, double *lambda_max);

/* The most memory givsmooth takes beyond its outputs, on threads threads:
 * a table of all rows for each. */
inline double smooth_work_bytes(idx n, int threads)
{
    return 8.0 * double(n) * 6.0 * double(threads);
}

/* Smooths the k series of y (n*k) as c asks into out, on at most threads
 * threads; between as in pace.  Returns false where memory ran out. */
bool givsmooth(const smooth_call &c, const double *y, const smooth_out &out, int threads, void (*between)());

} // namespace givqr

#endif
