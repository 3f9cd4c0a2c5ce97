/* minimize.h: the least of a function on a grid x = 0, 1, ..., J, refined, each value a call */
#ifndef GIVQR_MINIMIZE_H
#define GIVQR_MINIMIZE_H

#include "fp.h"
#include "types.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace givqr {

/*
 * Minimizing f over the range [lo, hi] of a grid (lo <= 0 <= J <= hi), f's
 * values costly (one call each) and its shape unknown: f.at (x) gives a
 * point (its x and value f, +Inf where f is not defined, and whatever the
 * bound needs), f.stopped () tells that a call was stopped; f.bound (a, b)
 * is a lower bound of f between the points a and b (b null: from a to J);
 * f.near (least) the value within which f counts as flat about its least;
 * f.above (q) whether the range goes on above q, the grid's last point and
 * beyond.  The Objective's point has members x and f.
 *
 * The value at each step of the grid, from 0 up, until the bound shows
 * that nothing from there to J can beat the least so far; where the least
 * is the scan's first point, the steps below it, down to lo, while f falls;
 * where it is the last, at J, the steps above, while f falls and the range
 * goes on, up to hi; then, about each
 * of those points that is less than its neighbours, least first, where the
 * bound on that stretch lies below the least so far, a search by parabolas
 * (golden sections where they fail) between its neighbours, down to tol in
 * x; and where that search leaves the point far behind, the middle of its
 * other side too, for a second minimum there; and the middle of the steps
 * beyond the least's neighbours where both their ends lie near the least.
 * So minima a step or more apart are each refined, however close their
 * values, and one the steps straddle beside the least where f is flat.  A
 * least at an end of the range is that end, and end says so (-1 at lo, or
 * 1 above, 0 inside).  It keeps the least it sees.  Returns false where
 * stopped, or where no value is finite.
 */
template <class Objective, class Point = typename Objective::point>
bool minimize(Objective &f, idx lo, idx J, idx hi, double tol, Point &best, int &end)
{
    const double inf = std::numeric_limits<double>::infinity();

    /* the scan, step by step, while the rest of the grid may hold better */
    std::vector<Point> pts;
    double least = inf;
    for (idx k = 0;; k++) {
        const Point q = f.at(double(std::min(k, J)));
        if (f.stopped()) return false;
        pts.push_back(q);
        least = std::min(least, q.f);
        if (k >= J || (q.f > least && f.bound(q, nullptr) >= least)) break;
    }
    if (f.stopped() || std::isinf(least)) return false;

    /* the range beyond the scan's ends, while f falls */
    bool top = pts.back().x == double(J);
    for (idx x = -1; pts.front().f == least && x >= lo; x--) {
        const Point q = f.at(double(x));
        if (f.stopped()) return false;
        pts.insert(pts.begin(), q);
        if (!(q.f < least)) break;
        least = q.f;
    }
    for (idx x = J + 1; top && pts.back().f == least && (top = f.above(pts.back())) && x <= hi; x++) {
        const Point q = f.at(double(x));
        if (f.stopped()) return false;
        pts.push_back(q);
        if (!(q.f < least)) break;
        least = q.f;
    }
    if (f.stopped()) return false;

    /* the local minima of the scan, least first */
    std::vector<size_t> minima;
    for (size_t k = 0; k < pts.size(); k++)
        if ((k == 0 || pts[k].f <= pts[k - 1].f) && (k + 1 == pts.size() || pts[k].f <= pts[k + 1].f))
            minima.push_back(k);
    std::stable_sort(minima.begin(), minima.end(), [&](size_t i, size_t j) { return pts[i].f < pts[j].f; });

    best = pts[minima[0]];
    const double golden = 0.3819660112501051;
    /* The least in [A, X, B] (X below both, or at an end), to within tol:
     * the parabola's vertex through the three, kept inside and at least tol
     * from X (on its wider side where it falls nearer), or, where there is
     * no parabola, the golden point of the wider side; the bracket shrinks
     * about the least each time, until it is 2 tol wide.  As in Brent's
     * method, a parabola's step not under half the step before the last
     * gives way to the golden point: where f is far from a parabola (one
     * side steep, the other flat) its vertices would creep toward the
     * least a little at a time. */
    auto refine = [&](Point A, Point X, Point B) {
        double last = inf, before = inf;        /* the steps from X taken, the last and the one before */
        for (int it = 0; it < 100 && !f.stopped(); it++) {
            const double left = X.x - A.x, right = B.x - X.x;
            if (left <= 1.01 * tol && right <= 1.01 * tol) break;
            double u = NAN;
            if (left > 0.0 && right > 0.0 && std::isfinite(A.f) && std::isfinite(B.f)) {
                const double p = left * left * (X.f - B.f) - right * right * (X.f - A.f);
                const double q = left * (X.f - B.f) + right * (X.f - A.f);
                if (q < 0.0) u = X.x - 0.5 * p / q;     /* a parabola that opens upward */
            }
            if (!(u > A.x + 0.5 * tol && u < B.x - 0.5 * tol) || !(std::fabs(u - X.x) < 0.5 * before))
                u = right > left ? X.x + golden * right : X.x - golden * left;
            if (std::fabs(u - X.x) < tol) u = right > left ? X.x + tol : X.x - tol;
            before = last;
            last = std::fabs(u - X.x);
            const Point U = f.at(u);
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
        if (std::isinf(pts[m].f)) break;    /* the rest lie on a plateau where f is undefined */
        const Point *left = m > 0 ? &pts[m - 1] : nullptr, *right = m + 1 < pts.size() ? &pts[m + 1] : nullptr;
        /* nothing here can beat the least: the bound over each side */
        const double lb = std::min(left ? f.bound(*left, &pts[m]) : inf, right ? f.bound(pts[m], right) : inf);
        if (m != minima[0] && !(lb < best.f)) continue;
        if (!left || !right) continue;      /* at an end of the range: that end */
        const Point X = refine(*left, pts[m], *right);
        if (f.stopped()) return false;
        if (X.f < best.f) best = X;
        /* where the least left the scan's point far behind, the other side
         * of that point may hold a minimum of its own: a look at its middle */
        const Point *other = X.x < pts[m].x ? right : left;
        if (other && std::fabs(X.x - pts[m].x) > 0.25) {
            const Point M = f.at(0.5 * (pts[m].x + other->x));
            if (f.stopped()) return false;
            if (M.f < pts[m].f && M.f < other->f) {
                const Point Y = refine(M.x < other->x ? pts[m] : *other, M, M.x < other->x ? *other : pts[m]);
                if (f.stopped()) return false;
                if (Y.f < best.f) best = Y;
            }
        }
    }
    /* a minimum the scan's steps straddle next to the least's: where both
     * ends of the step beyond either neighbour of the least's scan point lie
     * near the least, a look at its middle */
    const size_t m0 = minima[0];
    for (size_t k : {m0 >= 2 ? m0 - 2 : pts.size(), m0 + 1}) {
        if (k + 1 >= pts.size()) continue;
        const double near = f.near(best.f);
        if (!(pts[k].f <= near && pts[k + 1].f <= near)) continue;
        const Point M = f.at(0.5 * (pts[k].x + pts[k + 1].x));
        if (f.stopped()) return false;
        if (M.f < pts[k].f && M.f < pts[k + 1].f) {
            const Point Y = refine(pts[k], M, pts[k + 1]);
            if (f.stopped()) return false;
            if (Y.f < best.f) best = Y;
        }
    }
    end = best.x == pts.front().x && best.x <= double(std::min<idx>(lo, 0)) ? -1
          : best.x == pts.back().x && (best.x >= double(hi) || (best.x >= double(J) && !top)) ? 1
                                                                                            : 0;
    return true;
}

} // namespace givqr

#endif
