/* choose: lambda by a criterion (cross-validation, leave-one-out, the restricted likelihood) */
#include "fp.h"
#include "criteria.h"
#include "elementary.h"
#include "givsmooth.h"
#include "minimize.h"

#include <cmath>
#include <limits>
#include <vector>

namespace givqr {

/*
 * The scan runs from lambda_min, where every leverage is near 1 and the
 * smooth is y all but, to lambda_max, where the smallest eigenvalues of D'*D that are not 0
 * leave edf within about 0.01 of d, the polynomial of degree d-1.  For D of
 * unit spacing the largest eigenvalue of D'*D is below 4^d and the smallest
 * are about (pi*j/n)^(2d); with sample times, D's rows scale by 1/h^d in
 * the spacing h, so that the range follows t's units: lambda_min =
 * 1e-3*16/r^2 with r the largest sum of |D(j,:)| (2^d at unit spacing),
 * lambda_max = 100*(n*h/pi)^(2d) with h the mean spacing; and both follow
 * the weights' scale, times their mean over the points with weight.  For
 * d = 2, t = 1:n and weights 1 these are 1e-3 and 100*(n/pi)^4.  The grid
 * steps d/2 decades, so that edf moves alike from step to step whatever
 * the order.
 *
 * The range goes further: down to where n_o - edf <= 0.01 for certain, and
 * up to where edf <= d + 0.01.  n_o - edf, the trace of lambda*(W +
 * lambda*D'*D)^(-1)*D'*D over the points with weight, is below lambda*T, T
 * = sum over them of (D'*D)(i,i)/w(i) (eliminating the points without
 * weight only lowers the penalty), so lambda = 0.01/T lies low enough;
 * above lambda_max, edf's own value tells, up to 8 decades further.
 */
search_grid grid_of(const problem &p)
{
    search_grid g;
    g.scale = 1.0;
    if (p.g) {
        double sum = 0.0;
        for (idx i = 0; i < p.n; i++) sum += p.g->w[i];
        g.scale = sum / double(p.g->observed);
    }
    const int d = p.S.d;
    const double r = double(p.n) * p.S.h / 3.141592653589793;
    double top = 100.0;
    for (int k = 0; k < d; k++) top = top * (r * r);
    /* the spline's penalty is |L^-1*Q'*g|^2: Q's rows bounded by norm, and
     * R = L*L' at least min (h(j) + h(j+1))/6 (Gershgorin); its lambdas
     * those of the continuous penalty, in x^3, so top/h */
    double least = 1.0;
    const double *x = p.S.t;
    if (p.S.low) {
        least = INFINITY;
        for (idx j = 0; j + 2 < p.n; j++) least = std::fmin(least, (x[j + 2] - x[j]) / 6.0);
        top = top / p.S.h;
    }
    const double nm = std::frexp(p.S.norm, &g.ne);                     /* norm = nm*2^ne */
    g.lm = 1e-3 * (16.0 / (nm * nm)) * least * g.scale;                 /* lambda_min*4^ne */
    g.lmax = top * g.scale;
    g.step = 0.5 * d;
    static const double ratio[d_max + 1] = {1.0, 3.1622776601683795, 10.0, 31.622776601683793, 100.0};
    const double lmax = std::ldexp(g.lmax, 2 * g.ne);
    g.J = 0;
    for (double l = g.lm; l < lmax && g.J < 4000; l *= ratio[d]) g.J++;     /* 10^step */
    /* the range's lower end: lambda = 0.01/T, as a step below lambda_min */
    double T = 0.0;             /* trace(D*W^-1*D')/norm^2, the spline's R^-1 as diag(R)^-1 */
    for (idx k = 0; k + d < p.n; k++) {
        const double shrink = p.S.low ? least / ((x[k + 2] - x[k]) / 3.0) : 1.0;
        for (int l = 0; l <= d; l++) {
            const double wi = p.g ? p.g->w[k + l] : 1.0, v = coef(p.S, k, l) / p.S.norm;
            if (wi > 0.0) T += v * v / wi * shrink;
        }
    }
    const double ln10 = 2.302585092994046, floor_x = (-693.0 - g.log_lmin()) / (g.step * ln10);  /* sigma <= 2^500 */
    const double below = T > 0.0 && T * g.scale < 1e300 ? log_of(0.625 / (T * g.scale)) / (g.step * ln10) : floor_x;
    g.lo = idx(std::floor(std::max(std::min(below, 0.0), floor_x)));
    g.hi = g.J + idx(std::ceil(8.0 / g.step));
    return g;
}

double search_grid::sigma(double x) const
{
    return std::ldexp(exp2_of(-x * step * 1.6609640474436813) / std::sqrt(lm), ne);    /* log2(10)/2 */
}

double search_grid::log_lmin() const
{
    return log_of(lm, double(-2 * ne));
}

namespace {

const double inf = std::numeric_limits<double>::infinity();

/* The criterion of a series at x on its grid: its value (Inf where it is
 * NaN) and the sums behind it, for the minimizer (minimize.h). */
struct criterion_search {
    struct point {
        double x, f;
        sums s;
    };
    const problem &p;
    double *z;
    workspace &w;
    const interrupts &ic;
    int criterion;
    double no;
    const search_grid &g;
    bool halted = false;
    double top = std::nan("");      /* reml: log |det R| at the range's end, when it is needed */
    int lanes = 1;                  /* the grid's steps made this many at once (sums_of_many) */
    int held = 0;                   /* and those made ahead of the scan: their x and sums */
    double ahead_x[8] = {};
    sums ahead[8] = {};
    made_values *values = nullptr; /* where set, the sums come from it, and a value it lacks stops the search */

    bool stopped() const { return halted; }

    /* smooth (p, sigma at x, what, ...)'s sums into f: made here, or from values */
    bool make(double x, want what, sums &f)
    {
        if (!values) return smooth(p, g.sigma(x), what, what == want_logdet ? nullptr : z, nullptr, f, w, ic);
        return values->find(what, x, g, f);
    }

    /* the sums at x: for the restricted likelihood the forward pass alone;
     * at a step of the grid, with the lanes, the steps the scan comes to
     * next (away from 0) made with it */
    point at(double x)
    {
        point q = {x, inf, {}};
        bool made = false;
        if (!halted && lanes > 1 && x == std::floor(x) && x >= double(g.lo) && x <= double(g.hi)) {
            for (int k = 0; k < held && !made; k++)
                if (ahead_x[k] == x) q.s = ahead[k], made = true;
            if (!made) {
                double sigma[8];
                held = 0;
                for (double u = x; held < lanes && u >= double(g.lo) && u <= double(g.hi); u += x < 0.0 ? -1.0 : 1.0)
                    ahead_x[held++] = u;
                const problem *ps[8];
                want what[8];
                for (int k = 0; k < lanes; k++) {
                    sigma[k] = g.sigma(ahead_x[k < held ? k : 0]);
                    ps[k] = &p;
                    what[k] = criterion == reml ? want_squares : want_sums;
                }
                halted = !sums_of_many(ps, what, sigma, lanes, lanes, ahead, w, ic);
                q.s = ahead[0];
                made = true;
            }
        }
        if (halted || (!made && !make(x, criterion == reml ? want_squares : want_sums, q.s))) {
            halted = true;
            q.f = std::nan("");
            return q;
        }
        const double v = criterion_of(criterion, q.s, no, p.S.d);
        q.f = std::isnan(v) ? inf : v;
        return q;
    }

    double bound(const point &a, const point *b)
    {
        if (criterion == reml && !b && std::isnan(top)) {   /* log |det R| at the range's end, nothing kept */
            sums e = {};
            if (!halted && !make(double(g.J), want_logdet, e)) halted = true;
            top = halted ? std::nan("") : e.logdet;
        }
        return criterion_bound(criterion, a.s, b ? &b->s : nullptr, top, no, p.S.d);
    }

    /* within 0.5% of the least; the restricted likelihood, within 1 of it */
    double near(double least) const { return criterion == reml ? least + 1.0 : least + std::fabs(least) / 200.0; }

    /* whether edf at q lies above d + 0.01, so that the range goes on
     * (the restricted likelihood's sums hold no edf: a call for it) */
    bool above(const point &q)
    {
        sums s = q.s;
        if (criterion == reml && !halted && !make(q.x, want_sums, s)) halted = true;
        return !halted && s.edf - double(p.S.d) > 0.01;
    }

};

} // namespace

/* The criterion's least over the grid (minimize.h), refined to 1e-3 in
 * log10(lambda). */
choice choose(const problem &p, int criterion, double edf, double *x, workspace &w, const interrupts &ic)
{
    if (edf > 0.0) return choose_edf(p, edf, x, w, ic);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const search_grid g = grid_of(p);
    criterion_search s = {p, x, w, ic, criterion, p.g ? double(p.g->observed) : double(p.n), g};
    s.lanes = lanes_for_sums(p, criterion == reml);
    criterion_search::point best;
    int end = 0;
    if (!minimize(s, g.lo, g.J, g.hi, 1e-3 / g.step, best, end)) return {nan, 0, {nan, false}};
    return {g.sigma(best.x), end, {nan, false}};
}

bool choose_many(const problem *const *ps, int count, int K, int criterion, double edf, choice *out, double *x,
                 workspace &w, const interrupts &ic)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<made_values> values(count);
    std::vector<search_grid> grids;
    for (int l = 0; l < count; l++) grids.push_back(grid_of(*ps[l]));
    std::vector<bool> done(count, false);
    for (;;) {
        const problem *asking[8];
        want what[8];
        double sigma[8];
        int asked = 0, at[8];
        for (int l = 0; l < count; l++) {
            if (done[l]) continue;
            const problem &p = *ps[l];
            const search_grid &g = grids[l];
            values[l].waiting = false;
            choice ch;
            if (edf > 0.0) {
                ch = choose_edf(p, edf, x, w, ic, &values[l]);
            } else {
                criterion_search s = {p, x, w, ic, criterion, p.g ? double(p.g->observed) : double(p.n), g};
                s.values = &values[l];
                criterion_search::point best;
                int end = 0;
                const bool found = minimize(s, g.lo, g.J, g.hi, 1e-3 / g.step, best, end);
                ch = found ? choice{g.sigma(best.x), end, {nan, false}} : choice{nan, 0, {nan, false}};
            }
            if (values[l].waiting) {
                asking[asked] = &p;
                what[asked] = values[l].next.what;
                sigma[asked] = values[l].next.sigma;
                at[asked++] = l;
                continue;
            }
            done[l] = true;
            out[l] = ch;
        }
        if (asked == 0) return true;
        sums f[8];
        if (!sums_of_many(asking, what, sigma, asked, K, f, w, ic)) return false;
        for (int k = 0; k < asked; k++) {
            made_values &v = values[at[k]];
            v.made.push_back(v.next);
            v.made.back().s = f[k];
        }
    }
}

} // namespace givqr
