/* choose: lambda by a criterion (cross-validation, leave-one-out, the restricted likelihood) or for an edf */
#include "fp.h"
#include "givsmooth.h"
#include "elementary.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace givqr {

namespace {

const double inf = std::numeric_limits<double>::infinity();

/* sigma = lambda^(-1/2) at lambda = lambda_min * 10^(x*step) */
double sigma_at(double x, double lambda_min, double step)
{
    return exp2_of(-x * step * 1.6609640474436813) / std::sqrt(lambda_min);    /* log2(10)/2 */
}

/* One evaluation: at x, the criterion f (inf where it is NaN) and what
 * the bounds below take of it. */
struct point {
    double x, f;
    fit s;
};

/* The search over the range's grid, x = 0..J, for one series. */
struct search {
    idx n;
    const stencil &S;
    weighing *g;
    const double *y;
    double *z;
    room &r;
    const pace &p;
    int criterion;
    double no, lmin, step;
    idx J;
    bool stopped = false;
    double top = std::nan("");      /* reml: log |det R| at the range's end, when it is needed */

    /* the criterion's value from the sums f */
    double value(const fit &f) const
    {
        const double v = criterion_of(criterion, f, no, S.d);
        return std::isnan(v) ? inf : v;
    }

    /* the sums at x: for the restricted likelihood the forward pass alone */
    point at(double x)
    {
        point q = {x, inf, {}};
        const double sigma = sigma_at(x, lmin, step);
        if (stopped || !(criterion == reml ? tally_one(n, S, sigma, g, y, z, r, &q.s, p)
                                           : smooth_one(n, S, sigma, g, y, z, nullptr, r, &q.s, p))) {
            stopped = true;
            q.f = std::nan("");
            return q;
        }
        q.f = value(q.s);
        return q;
    }

    /* A lower bound of the criterion between a and b (a.x < b.x), from the
     * sums at the two ends: as lambda grows, sum(w.*(y - z).^2), and with it
     * |c1|^2, grows, and edf and log |det R| fall (d log |det R|/d log lambda
     * = (d - edf)/2), so that n_o - edf <= n_o - edf(b), rss >= rss(a), and
     * leave-one-out, whose terms are r.^2./(1 - h).^2, is at least rss/n_o.
     * b null: the range's end, edf >= d there. */
    double bound(const point &a, const point *b)
    {
        const double dof = no - double(S.d);
        if (criterion == loocv) return a.s.rss / no;
        if (criterion == gcv) {
            const double rest = b ? no - b->s.edf : dof;
            return no * a.s.rss / (rest * rest);
        }
        if (!b && std::isnan(top)) {        /* log |det R| at the range's end, where nothing repeats */
            fit e = {};
            if (!stopped && !log_det(n, S, sigma_at(double(J), lmin, step), g, &e, p)) stopped = true;
            top = stopped ? std::nan("") : e.logdet;
        }
        return dof * log_of(a.s.squares / dof) + 2.0 * (b ? b->s.logdet : top);
    }
};

} // namespace

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
void search_range(idx n, const stencil &S, double scale, double *lambda_min, double *lambda_max, double *step)
{
    const double h = S.span / double(n - 1), r = double(n) * h / 3.141592653589793;
    double top = 100.0;
    for (int k = 0; k < S.d; k++) top = top * (r * r);
    *lambda_min = 1e-3 * (16.0 / (S.norm * S.norm)) * scale;
    *lambda_max = top * scale;
    *step = 0.5 * S.d;
}

/*
 * Minimizing a criterion: its value at each step of the grid, from the
 * range's start up, until the bound above shows that nothing from there to
 * the range's end can beat the least so far (past the least, where lambda
 * is large and each factorization costs most, the criterion grows fast);
 * then, about each of those points that is less than its neighbours, least
 * first, where the bound on that stretch lies below the least so far, a
 * search by parabolas (golden sections where they fail) between its
 * neighbours, down to 1e-3 in log10(lambda); and where that search leaves
 * the point far behind, the middle of its other side too, for a second
 * minimum there; and the middle of the steps beyond the least's neighbours
 * where both their ends lie near the least.  So minima a step or more
 * apart are each refined, however close their values, and one the steps
 * straddle beside the least where the criterion is flat.  A least at an
 * end of the range is that end.  It keeps the least it sees.  For an edf k: edf falls
 * with lambda from n_o to d, about as lambda^(-1/(2d)), so log(edf - d)
 * is nearly straight in log(lambda): a secant on it from the asymptotic
 * guess (edf - d = (n_o/pi)*(lambda/wbar)^(-1/(2d))*(pi/(2d))/sin(pi/(2d))
 * at unit spacing), the root kept bracketed (Illinois), to a relative 1e-8.
 */
choice choose(idx n, const stencil &S, weighing *g, const double *y, int criterion, double edf, double *x, room &r,
              const pace &p)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    double scale = 1.0;                     /* the mean weight over the points with weight */
    if (g) {
        double sum = 0.0;
        for (idx i = 0; i < n; i++) sum += g->w[i];
        scale = sum / double(g->observed);
    }
    double lmin, lmax, step;
    search_range(n, S, scale, &lmin, &lmax, &step);
    static const double ratio[d_max + 1] = {1.0, 3.1622776601683795, 10.0, 31.622776601683793, 100.0};
    idx J = 0;
    for (double l = lmin; l < lmax; l *= ratio[S.d]) J++;      /* 10^step */
    search s = {n, S, g, y, x, r, p, criterion, g ? double(g->observed) : double(n), lmin, step, J};
    const double d = double(S.d);

    if (edf > 0.0) {
        /* the root of log(edf(x) - d) - log(k - d), bracketed */
        auto h = [&](const point &q) { return log_of(std::max(q.s.edf - d, 1e-300)) - log_of(edf - d); };
        const double c = (3.141592653589793 / (2.0 * d)) / sin_pi_over(2.0 * d);
        const double rr = double(n) * (S.span / double(n - 1)) / 3.141592653589793;     /* as search_range */
        const double guess = log_of(scale) + (2.0 * d) * log_of(rr * c / (edf - d));    /* log(lambda) */
        const double x0 = (guess - log_of(lmin)) / (step * 2.302585092994046);         /* ln(10) */
        point a = s.at(std::min(std::max(x0, 0.0), double(J)));
        if (s.stopped) return {nan, false, nan};
        point b = a;
        double ha = h(a), hb = ha;
        /* a bracket: step out by 2 grid steps, then doubling, while the sign holds */
        for (double out = 2.0; !s.stopped && (ha > 0.0) == (hb > 0.0) && out < 4.0 * double(J); out *= 2.0) {
            const double xb = std::min(std::max(a.x + (ha > 0.0 ? out : -out), 0.0), double(J));
            if (xb == b.x) break;       /* at an end of the range */
            b = s.at(xb);
            hb = h(b);
        }
        if (s.stopped) return {nan, false, nan};
        if ((ha > 0.0) == (hb > 0.0)) {     /* beyond the range: its nearer end */
            const point &e = std::fabs(ha) < std::fabs(hb) ? a : b;
            return {sigma_at(e.x, lmin, step), std::fabs(e.s.edf - edf) > 1e-8 * edf, e.s.edf};
        }
        point best = std::fabs(ha) < std::fabs(hb) ? a : b;
        int side = 0;
        for (int it = 0; it < 60 && !s.stopped; it++) {
            if (std::fabs(best.s.edf - edf) <= 1e-8 * edf) break;
            const double xm = (a.x * hb - b.x * ha) / (hb - ha);    /* the secant's root */
            if (!(xm > std::min(a.x, b.x) && xm < std::max(a.x, b.x))) break;
            const point q = s.at(xm);
            const double hq = h(q);
            if (std::fabs(q.s.edf - edf) < std::fabs(best.s.edf - edf)) best = q;
            if ((hq > 0.0) == (ha > 0.0)) {
                a = q, ha = hq;
                if (side == -1) hb /= 2.0;
                side = -1;
            } else {
                b = q, hb = hq;
                if (side == 1) ha /= 2.0;
                side = 1;
            }
        }
        if (s.stopped) return {nan, false, nan};
        return {sigma_at(best.x, lmin, step), std::fabs(best.s.edf - edf) > 1e-8 * edf, best.s.edf};
    }

    /* the scan, step by step, while the rest of the range may hold better */
    std::vector<point> pts;
    double least = inf;
    for (idx k = 0;; k++) {
        const point q = s.at(double(std::min(k, J)));
        if (s.stopped) return {nan, false, nan};
        pts.push_back(q);
        least = std::min(least, q.f);
        if (k >= J || (q.f > least && s.bound(q, nullptr) >= least)) break;
    }
    if (s.stopped || std::isinf(least)) return {nan, false, nan};

    /* the local minima of the scan, least first */
    std::vector<size_t> minima;
    for (size_t k = 0; k < pts.size(); k++)
        if ((k == 0 || pts[k].f <= pts[k - 1].f) && (k + 1 == pts.size() || pts[k].f <= pts[k + 1].f))
            minima.push_back(k);
    std::stable_sort(minima.begin(), minima.end(), [&](size_t i, size_t j) { return pts[i].f < pts[j].f; });

    point best = pts[minima[0]];
    const double tol = 1e-3 / step, golden = 0.3819660112501051;
    /* The least in [A, X, B] (X below both, or at an end), to within tol:
     * the parabola's vertex through the three, kept inside and at least tol
     * from X (on its wider side where it falls nearer), or, where there is
     * no parabola, the golden point of the wider side; the bracket shrinks
     * about the least each time, until it is 2 tol wide. */
    auto refine = [&](point A, point X, point B) {
        for (int it = 0; it < 100 && !s.stopped; it++) {
            const double left = X.x - A.x, right = B.x - X.x;
            if (left <= 1.01 * tol && right <= 1.01 * tol) break;
            double u = NAN;
            if (left > 0.0 && right > 0.0 && std::isfinite(A.f) && std::isfinite(B.f)) {
                const double p = left * left * (X.f - B.f) - right * right * (X.f - A.f);
                const double q = left * (X.f - B.f) + right * (X.f - A.f);
                if (q < 0.0) u = X.x - 0.5 * p / q;     /* a parabola that opens upward */
            }
            if (!(u > A.x + 0.5 * tol && u < B.x - 0.5 * tol))
                u = right > left ? X.x + golden * right : X.x - golden * left;
            if (std::fabs(u - X.x) < tol) u = right > left ? X.x + tol : X.x - tol;
            const point U = s.at(u);
            if (U.f < X.f) {
                if (U.x < X.x) B = X; else A = X;
                X = U;
            } else {
                if (U.x < X.x) A = U; else B = U;
            }
        }
        return X;
    };
    for (size_t m : minima) {
        const point *left = m > 0 ? &pts[m - 1] : nullptr, *right = m + 1 < pts.size() ? &pts[m + 1] : nullptr;
        /* nothing here can beat the least: the bound over each side */
        const double lb = std::min(left ? s.bound(*left, &pts[m]) : inf, right ? s.bound(pts[m], right) : inf);
        if (m != minima[0] && !(lb < best.f)) continue;
        if (!left || !right) continue;      /* at an end of the range: that end */
        const point X = refine(*left, pts[m], *right);
        if (s.stopped) return {nan, false, nan};
        if (X.f < best.f) best = X;
        /* where the least left the scan's point far behind, the other side
         * of that point may hold a minimum of its own: a look at its middle */
        const point *other = X.x < pts[m].x ? right : left;
        if (other && std::fabs(X.x - pts[m].x) > 0.25) {
            const point M = s.at(0.5 * (pts[m].x + other->x));
            if (s.stopped) return {nan, false, nan};
            if (M.f < pts[m].f && M.f < other->f) {
                const point Y = refine(M.x < other->x ? pts[m] : *other, M, M.x < other->x ? *other : pts[m]);
                if (s.stopped) return {nan, false, nan};
                if (Y.f < best.f) best = Y;
            }
        }
    }
    /* a minimum the scan's steps straddle next to the least's: where both
     * ends of the step beyond either neighbour of the least's scan point lie
     * within 0.5% of the least (the restricted likelihood, within 1 of it),
     * a look at its middle */
    const size_t m0 = minima[0];
    for (size_t k : {m0 >= 2 ? m0 - 2 : pts.size(), m0 + 1}) {
        if (k + 1 >= pts.size()) continue;
        const double near = criterion == reml ? best.f + 1.0 : best.f + std::fabs(best.f) / 200.0;
        if (!(pts[k].f <= near && pts[k + 1].f <= near)) continue;
        const point M = s.at(0.5 * (pts[k].x + pts[k + 1].x));
        if (s.stopped) return {nan, false, nan};
        if (M.f < pts[k].f && M.f < pts[k + 1].f) {
            const point Y = refine(pts[k], M, pts[k + 1]);
            if (s.stopped) return {nan, false, nan};
            if (Y.f < best.f) best = Y;
        }
    }
    return {sigma_at(best.x, lmin, step), false, best.s.edf};
}

} // namespace givqr
