/* choose: lambda by a criterion (cross-validation, leave-one-out, the restricted likelihood) */
#include "fp.h"
#include "criteria.h"
#include "elementary.h"
#include "givsmooth.h"
#include "minimize.h"

#include <cmath>
#include <limits>

namespace givqr {

/*
 * From lambda_min, where every leverage is near 1 and the smooth is y all
 * but, to lambda_max, where the smallest eigenvalues of D'*D that are not 0
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
    g.lmin = 1e-3 * (16.0 / (p.S.norm * p.S.norm)) * g.scale;
    g.lmax = top * g.scale;
    g.step = 0.5 * d;
    static const double ratio[d_max + 1] = {1.0, 3.1622776601683795, 10.0, 31.622776601683793, 100.0};
    g.J = 0;
    for (double l = g.lmin; l < g.lmax; l *= ratio[d]) g.J++;     /* 10^step */
    return g;
}

double search_grid::sigma(double x) const
{
    return exp2_of(-x * step * 1.6609640474436813) / std::sqrt(lmin);      /* log2(10)/2 */
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

    bool stopped() const { return halted; }

    /* the sums at x: for the restricted likelihood the forward pass alone */
    point at(double x)
    {
        point q = {x, inf, {}};
        if (halted || !smooth(p, g.sigma(x), criterion == reml ? want_squares : want_sums, z, nullptr, q.s, w, ic)) {
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
            if (!halted && !smooth(p, g.sigma(double(g.J)), want_logdet, nullptr, nullptr, e, w, ic)) halted = true;
            top = halted ? std::nan("") : e.logdet;
        }
        return criterion_bound(criterion, a.s, b ? &b->s : nullptr, top, no, p.S.d);
    }

    /* within 0.5% of the least; the restricted likelihood, within 1 of it */
    double near(double least) const { return criterion == reml ? least + 1.0 : least + std::fabs(least) / 200.0; }

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
    criterion_search::point best;
    if (!minimize(s, g.J, 1e-3 / g.step, best)) return {nan, false, nan};
    return {g.sigma(best.x), false, best.s.edf};
}

} // namespace givqr
