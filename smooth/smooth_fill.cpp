/* smooth_fill: z at the points the residual cannot give, from the normal equations' rows there */
#include "fp.h"
#include "smooth.h"

namespace givqr {

namespace {

/* (D'*D)(i,j) for i <= j <= i+2: the sum over the rows k of D that hold both,
 * max(j-2, 0) <= k <= min(i, n-3), of D(k,i)*D(k,j), D(k,k:k+2) = (1, -2, 1).
 * An integer, exact. */
double DtD(idx n, idx i, idx j)
{
    static const double c[3] = {1.0, -2.0, 1.0};
    double v = 0.0;
    for (idx k = j - 2 > 0 ? j - 2 : 0; k <= i && k <= n - 3; k++) v += c[i - k] * c[j - k];
    return v;
}

/* The rows s(0..ns-1) at once, by L*diag(d)*L' of their pentadiagonal matrix M. */
void banded(idx n, double s2, const double *w, const double *y, const idx *s, idx ns, double *z, double *work)
{
    double *d = work, *l1 = work + ns, *l2 = work + 2 * ns;    /* L(a,a-1), L(a,a-2) */

    /* M = L*diag(d)*L' row by row, and L*g = f into z(s(a)) */
    for (idx a = 0; a < ns; a++) {
        const idx i = s[a];
        double f = w[i] > 0.0 ? s2 * w[i] * y[i] : 0.0;
        for (idx j = i - 2; j <= i + 2; j++) {              /* the known z(j) to the right */
            const bool in_s = (a >= 1 && s[a - 1] == j) || (a >= 2 && s[a - 2] == j) ||
                              (a + 1 < ns && s[a + 1] == j) || (a + 2 < ns && s[a + 2] == j);
            if (j < 0 || j >= n || j == i || in_s) continue;
            f = f - (j < i ? DtD(n, j, i) : DtD(n, i, j)) * z[j];
        }
        const double m1 = a >= 1 && s[a - 1] >= i - 2 ? DtD(n, s[a - 1], i) : 0.0;     /* M(a,a-1) */
        const double m2 = a >= 2 && s[a - 2] >= i - 2 ? DtD(n, s[a - 2], i) : 0.0;     /* M(a,a-2) */
        l2[a] = a >= 2 ? m2 / d[a - 2] : 0.0;
        l1[a] = a >= 1 ? (a >= 2 ? m1 - l2[a] * d[a - 2] * l1[a - 1] : m1) / d[a - 1] : 0.0;
        d[a] = DtD(n, i, i) + s2 * w[i];
        if (a >= 1) d[a] = d[a] - l1[a] * l1[a] * d[a - 1];
        if (a >= 2) d[a] = d[a] - l2[a] * l2[a] * d[a - 2];
        if (a >= 1) f = f - l1[a] * z[s[a - 1]];
        if (a >= 2) f = f - l2[a] * z[s[a - 2]];
        z[i] = f;
    }

    /* L' * z = g ./ d, from the last point back */
    for (idx a = ns - 1; a >= 0; a--) {
        double v = z[s[a]] / d[a];
        if (a + 1 < ns) v = v - l1[a + 1] * z[s[a + 1]];
        if (a + 2 < ns) v = v - l2[a + 2] * z[s[a + 2]];
        z[s[a]] = v;
    }
}


/* z(i) for a <= i <= b from the points j0 < j1 < j2 < j3 about them: the
 * polynomial through those four (a cubic), or through j0, j1 alone (j2 < 0:
 * a line), in Lagrange's form. */
void polynomial(idx a, idx b, idx j0, idx j1, idx j2, idx j3, double *z)
{
    const double x0 = double(j0), x1 = double(j1), x2 = double(j2), x3 = double(j3);
    for (idx i = a; i <= b; i++) {
        const double x = double(i);
        if (j2 < 0) {
            z[i] = z[j0] * ((x - x1) / (x0 - x1)) + z[j1] * ((x - x0) / (x1 - x0));
            continue;
        }
        const double l0 = (x - x1) / (x0 - x1) * ((x - x2) / (x0 - x2)) * ((x - x3) / (x0 - x3));
        const double l1 = (x - x0) / (x1 - x0) * ((x - x2) / (x1 - x2)) * ((x - x3) / (x1 - x3));
        const double l2 = (x - x0) / (x2 - x0) * ((x - x1) / (x2 - x1)) * ((x - x3) / (x2 - x3));
        const double l3 = (x - x0) / (x3 - x0) * ((x - x1) / (x3 - x1)) * ((x - x2) / (x3 - x2));
        z[i] = z[j0] * l0 + z[j1] * l1 + z[j2] * l2 + z[j3] * l3;
    }
}

} // namespace

/*
 * The points fall into clusters, each point within 2 of the next, that do
 * not couple: each is solved alone.  A gap, a run a..b of points of weight 0,
 * is solved exactly by a polynomial: inside the series (2 <= a, b <= n-3)
 * its rows say that the fourth difference of z vanishes on a-2..b+2, a
 * cubic through the two known points on either side; at an end (a = 0, or
 * b = n-1) that the second difference does, a line through the two known
 * points beside it.  The polynomial carries the known points' errors into the
 * gap by factors of about its length; the band's elimination would make
 * them about its length^4 times eps.  Any other cluster takes the band.
 */
void smooth_fill(idx n, double sigma, const double *w, const double *y, const idx *s, idx ns, double *z,
                 double *work)
{
    for (idx a0 = 0, a1; a0 < ns; a0 = a1) {
        bool gap = w[s[a0]] == 0.0;
        for (a1 = a0 + 1; a1 < ns && s[a1] - s[a1 - 1] <= 2; a1++) gap = gap && s[a1] == s[a1 - 1] + 1 && w[s[a1]] == 0.0;
        const idx a = s[a0], b = s[a1 - 1];
        if (gap && a >= 2 && b <= n - 3) polynomial(a, b, a - 2, a - 1, b + 1, b + 2, z);
        else if (gap && a == 0 && b <= n - 3) polynomial(a, b, b + 1, b + 2, -1, -1, z);
        else if (gap && b == n - 1 && a >= 2) polynomial(a, b, a - 2, a - 1, -1, -1, z);
        else banded(n, sigma * sigma, w, y, s + a0, a1 - a0, z, work);
    }
}

} // namespace givqr
