/* choose: the sigma that minimizes a cross-validation criterion */
#include "givsmooth.h"
#include "elementary.h"

#include <cmath>
#include <limits>

namespace givqr {

namespace {

/* The grid: lambda = lambda_min * 10^(x*step), x = 0, 1, ..., J; decades apart. */
constexpr double step = 1.0;
constexpr double lambda_low = 1e-3;

/* sigma = lambda^(-1/2) at x, from lambda_low alone */
double sigma_at(double x)
{
    return exp2_of(-x * step * 1.6609640474436813) / std::sqrt(lambda_low);    /* log2(10)/2 */
}

} // namespace

/*
 * From lambda = 1e-3, where every leverage is above 0.99 and the smooth is
 * y all but, to 100*(n/pi)^4, where the smallest eigenvalues of D'*D that
 * are not 0, about (pi*j/n)^4, leave edf within 0.011 of 2, the straight line.
 */
void search_range(idx n, double *lambda_min, double *lambda_max)
{
    const double r = double(n) / 3.141592653589793;
    *lambda_min = lambda_low;
    *lambda_max = 100.0 * (r * r) * (r * r);
}

/*
 * The criterion at each point of the grid, decades apart in lambda, then
 * Brent's minimization (golden sections and parabolas) between the two
 * neighbours of the grid's least, down to 1e-3 in log10(lambda).  It starts
 * from that least and keeps the least it sees, so it ends no worse than
 * the grid.  A criterion that is NaN counts as the greatest.
 */
double choose(idx n, weighing *g, const double *y, bool loocv, double *x, room &r, const pace &p)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double no = g ? double(g->observed) : double(n);     /* the points with weight */
    bool stopped = false;
    auto criterion = [&](double at) {
        fit f;
        if (stopped || !smooth_one(n, sigma_at(at), g, y, x, nullptr, r, &f, p)) {
            stopped = true;
            return nan;
        }
        const double v = loocv ? f.loo / no : no * f.rss / (f.rest * f.rest);
        return std::isnan(v) ? std::numeric_limits<double>::infinity() : v;
    };

    double lmin, lmax;
    search_range(n, &lmin, &lmax);
    idx J = 0;
    for (double l = lmin; l < lmax; l *= 10.0) J++;
    idx k = 0;
    double fk = criterion(0.0);
    for (idx j = 1; j <= J && !stopped; j++) {
        const double fj = criterion(double(j));
        if (fj < fk) k = j, fk = fj;
    }
    if (stopped || std::isinf(fk)) return nan;

    /* Brent, on [a, b] around k */
    const double golden = 0.3819660112501051, tol = 1e-3;
    double a = k > 0 ? double(k - 1) : 0.0, b = k < J ? double(k + 1) : double(J);
    double xb = double(k), w = xb, v = xb, fx = fk, fw = fk, fv = fk, d = 0.0, e = 0.0;
    for (int it = 0; it < 100 && !stopped; it++) {
        const double xm = 0.5 * (a + b), tol2 = 2.0 * tol;
        if (std::fabs(xb - xm) <= tol2 - 0.5 * (b - a)) break;
        bool parabola = false;
        if (std::fabs(e) > tol) {
            double rr = (xb - w) * (fx - fv), qq = (xb - v) * (fx - fw), pp = (xb - v) * qq - (xb - w) * rr;
            qq = 2.0 * (qq - rr);
            if (qq > 0.0) pp = -pp;
            qq = std::fabs(qq);
            const double last = e;
            if (std::fabs(pp) < std::fabs(0.5 * qq * last) && pp > qq * (a - xb) && pp < qq * (b - xb)) {
                e = d;
                d = pp / qq;
                const double u = xb + d;
                if (u - a < tol2 || b - u < tol2) d = xm >= xb ? tol : -tol;
                parabola = true;
            }
        }
        if (!parabola) {
            e = (xb >= xm ? a : b) - xb;
            d = golden * e;
        }
        const double u = std::fabs(d) >= tol ? xb + d : xb + (d > 0 ? tol : -tol);
        const double fu = criterion(u);
        if (fu <= fx) {
            if (u >= xb) a = xb; else b = xb;
            v = w, fv = fw, w = xb, fw = fx, xb = u, fx = fu;
        } else {
            if (u < xb) a = u; else b = u;
            if (fu <= fw || w == xb) {
                v = w, fv = fw, w = u, fw = fu;
            } else if (fu <= fv || v == xb || v == w) {
                v = u, fv = fu;
            }
        }
    }
    return stopped ? nan : sigma_at(xb);
}

} // namespace givqr
