/* choose: the sigma that minimizes a cross-validation criterion */
#include "givsmooth.h"
#include "elementary.h"

#include <cmath>
#include <limits>

namespace givqr {

namespace {

/* sigma = lambda^(-1/2) at lambda = lambda_min * 10^(x*step) */
double sigma_at(double x, double lambda_min, double step)
{
    return exp2_of(-x * step * 1.6609640474436813) / std::sqrt(lambda_min);    /* log2(10)/2 */
}

} // namespace

/*
 * From lambda_min, where every leverage is near 1 and the smooth is y all
 * but, to lambda_max, where the smallest eigenvalues of D'*D that are not 0
 * leave edf within about 0.01 of d, the polynomial of degree d-1.  For D of
 * unit spacing the largest eigenvalue of D'*D is below 4^d and the smallest
 * are about (pi*j/n)^(2d); with sample times, D's rows scale by 1/h^d in
 * the spacing h, so that the range follows t's units: lambda_min =
 * 1e-3*16/r^2 with r the largest sum of |D(j,:)| (2^d at unit spacing),
 * lambda_max = 100*(n*h/pi)^(2d) with h the mean spacing.  For d = 2 and
 * t = 1:n these are 1e-3 and 100*(n/pi)^4.  The grid steps d/2 decades, so
 * that edf moves alike from step to step whatever the order.
 */
void search_range(idx n, const stencil &S, double *lambda_min, double *lambda_max, double *step)
{
    const double h = S.span / double(n - 1), r = double(n) * h / 3.141592653589793;
    double top = 100.0;
    for (int k = 0; k < S.d; k++) top = top * (r * r);
    *lambda_min = 1e-3 * (16.0 / (S.norm * S.norm));
    *lambda_max = top;
    *step = 0.5 * S.d;
}

/*
 * The criterion at each point of the grid, decades apart in lambda, then
 * Brent's minimization (golden sections and parabolas) between the two
 * neighbours of the grid's least, down to 1e-3 in log10(lambda).  It starts
 * from that least and keeps the least it sees, so it ends no worse than
 * the grid.  A criterion that is NaN counts as the greatest.
 */
double choose(idx n, const stencil &S, weighing *g, const double *y, bool loocv, double *x, room &r, const pace &p)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double no = g ? double(g->observed) : double(n);     /* the points with weight */
    bool stopped = false;
    double lmin, lmax, step;
    search_range(n, S, &lmin, &lmax, &step);
    auto criterion = [&](double at) {
        fit f;
        if (stopped || !smooth_one(n, S, sigma_at(at, lmin, step), g, y, x, nullptr, r, &f, p)) {
            stopped = true;
            return nan;
        }
        const double v = loocv ? f.loo / no : no * f.rss / (f.rest * f.rest);
        return std::isnan(v) ? std::numeric_limits<double>::infinity() : v;
    };

    static const double ratio[d_max + 1] = {1.0, 3.1622776601683795, 10.0, 31.622776601683793, 100.0};
    idx J = 0;
    for (double l = lmin; l < lmax; l *= ratio[S.d]) J++;      /* 10^step */
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
    return stopped ? nan : sigma_at(xb, lmin, step);
}

} // namespace givqr
