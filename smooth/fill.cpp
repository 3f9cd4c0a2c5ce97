/* fill: z at the points the residual cannot give, from the rows of D and of the normal equations there */
#include "fp.h"
#include "smooth.h"
#include "rotations.h"

#include <algorithm>

namespace givqr {

namespace {

/* The rows s(0..ns-1) at once, by L*diag(p)*L' of their banded matrix M,
 * L(a,a-k) in l + k*ns for k = 1..d. */
template <int d>
void banded(idx n, const stencil &S, double s2, const double *w, const double *y, const idx *s, idx ns, double *z,
            double *work)
{
    double *p = work, *l = work;            /* the pivots, then L(a,a-k) at l[k*ns + a] */

    /* M = L*diag(p)*L' row by row, and L*g = f into z(s(a)) */
    for (idx a = 0, q = 0; a < ns; a++) {
        const idx i = s[a];
        double f = w[i] > 0.0 ? s2 * w[i] * y[i] : 0.0;
        while (s[q] < i - d) q++;                           /* the first of s within d of i */
        for (idx j = i - d, r = q; j <= i + d; j++) {       /* the known z(j) to the right */
            while (r < ns && s[r] < j) r++;
            if (j < 0 || j >= n || (r < ns && s[r] == j)) continue;     /* j in s (i among them) */
            f = f - DtD(n, S, j, i) * z[j];
        }
        for (int k = d; k >= 1; k--) {                      /* L(a,a-k), the farthest first */
            if (a < k) {
                l[k * ns + a] = 0.0;
                continue;
            }
            double v = s[a - k] >= i - d ? DtD(n, S, s[a - k], i) : 0.0;      /* M(a,a-k) */
            for (int j = d; j > k; j--)
                if (a >= j) v = v - l[j * ns + a] * p[a - j] * l[(j - k) * ns + a - k];
            l[k * ns + a] = v / p[a - k];
        }
        p[a] = DtD(n, S, i, i) + s2 * w[i];
        for (int k = 1; k <= d && k <= a; k++) p[a] = p[a] - l[k * ns + a] * l[k * ns + a] * p[a - k];
        for (int k = 1; k <= d && k <= a; k++) f = f - l[k * ns + a] * z[s[a - k]];
        z[i] = f;
    }

    /* L' * z = g ./ p, from the last point back */
    for (idx a = ns - 1; a >= 0; a--) {
        double v = z[s[a]] / p[a];
        for (int k = 1; k <= d && a + k < ns; k++) v = v - l[k * ns + a + k] * z[s[a + k]];
        z[s[a]] = v;
    }
}

/* The weights l(0..k-1) of Lagrange's form at xi for the points j(0..k-1)
 * on the abscissae x (null: j itself). */
void lagrange(double xi, const idx *j, int k, const double *x, double *l)
{
    auto at = [x](idx i) { return x ? x[i] : double(i); };
    for (int e = 0; e < k; e++) {
        bool first = true;
        for (int f = 0; f < k; f++) {
            if (f == e) continue;
            const double r = (xi - at(j[f])) / (at(j[e]) - at(j[f]));
            l[e] = first ? r : l[e] * r;
            first = false;
        }
    }
}

/* z(i) from z at the points j(0..k-1) by the weights l. */
void weighed(idx i, const idx *j, int k, const double *l, double *z)
{
    double v = 0.0;
    for (int e = 0; e < k; e++) v = e == 0 ? z[j[e]] * l[e] : v + z[j[e]] * l[e];
    z[i] = k == 1 ? z[j[0]] : v;
}

/* z(i) for a <= i <= b from the points j(0..k-1) about them: the polynomial
 * through those k, in Lagrange's form, on the abscissae x (null: i itself). */
void polynomial(idx a, idx b, const idx *j, int k, const double *x, double *z)
{
    for (idx i = a; i <= b; i++) {
        double l[2 * d_max];
        lagrange(x ? x[i] : double(i), j, k, x, l);
        weighed(i, j, k, l, z);
    }
}

/* The weights of the polynomial across a gap inside an equal grid, the d
 * points either side, for gaps of up to `most` points: at point o of a gap
 * of len, those lagrange gives with the gap from 0, which are those of any
 * other place to the bit (every difference of abscissae an exact integer). */
struct gap_weights {
    static constexpr int most = 8;
    int d;
    unsigned made = 0;                  /* bit len-1: that length's weights made */
    double l[most][most][2 * d_max];

    const double *at(idx len, idx o)
    {
        if (!(made >> (len - 1) & 1u)) {
            idx j[2 * d_max];
            for (int k = 0; k < d; k++) {
                j[k] = k - d;
                j[d + k] = len + k;
            }
            for (idx p = 0; p < len; p++) lagrange(double(p), j, 2 * d, nullptr, l[len - 1][p]);
            made |= 1u << (len - 1);
        }
        return l[len - 1][o];
    }
};

/* z at the points s(0..ns-1), none with weight: min |D*z| over them, the
 * others held.  The rows of D that touch them, s(0)-d..s(ns-1), are
 * rotated one by one into a triangle R of bandwidth d+1 over those points
 * (row c at work + (d+1)*c, for s(c), s(c+1), ...), the rest of each row
 * carried to the right (Q' in work + (d+1)*ns); the rows of R fill in
 * order, so that the next empty one is the count so far. */
template <int d>
void rotated(idx n, const stencil &S, const idx *s, idx ns, double *z, double *work)
{
    double *R = work, *g = work + (d + 1) * ns;
    idx filled = 0, first = 0;          /* the first of s at or past row j's start */
    for (idx j = std::max<idx>(0, s[0] - d); j <= s[ns - 1] && j <= n - 1 - d; j++) {
        while (s[first] < j) first++;
        if (s[first] > j + d) continue;                 /* the row touches none of them */
        double v[d_max + 1], rhs = 0.0;                 /* row j on s(c..c+d) */
        idx c = first;
        for (int l = 0; l <= d; l++) v[l] = 0.0;
        for (int l = 0, k = 0; l <= d; l++) {
            const idx col = j + l;
            while (c + k < ns && s[c + k] < col) k++;
            if (c + k < ns && s[c + k] == col) v[k] = coef(S, j, l);
            else rhs = rhs - coef(S, j, l) * z[col];
        }
        for (; c < ns; c++) {
            double *r = R + (d + 1) * c;
            if (c == filled) {                          /* an empty row of R takes what is left */
                for (int l = 0; l <= d; l++) r[l] = c + l < ns ? v[l] : 0.0;
                g[c] = rhs;
                filled++;
                break;
            }
            double cs, sn;
            rotg(&r[0], &v[0], &cs, &sn);
            for (int l = 1; l <= d && c + l < ns; l++) rot(&r[l], &v[l], cs, sn);
            rot(&g[c], &rhs, cs, sn);
            for (int l = 1; l <= d; l++) v[l - 1] = v[l];
            v[d] = 0.0;
        }
    }
    for (idx c = ns - 1; c >= 0; c--) {                 /* R*u = g */
        const double *r = R + (d + 1) * c;
        double u = g[c];
        for (int l = 1; l <= d && c + l < ns; l++) u = u - r[l] * z[s[c + l]];
        z[s[c]] = u / r[0];
    }
}

} // namespace

void smooth_fill(idx n, const stencil &S, const double *t, double sigma, const double *w, const double *y,
                 const idx *s, idx ns, double *z, double *work)
{
    const int d = S.d;
    gap_weights equal;
    equal.d = d;
    for (idx a0 = 0, a1; a0 < ns; a0 = a1) {
        bool run = w[s[a0]] == 0.0, none = run;      /* one run of points without weight; none with */
        for (a1 = a0 + 1; a1 < ns && s[a1] - s[a1 - 1] <= d; a1++) {
            run = run && s[a1] == s[a1 - 1] + 1 && w[s[a1]] == 0.0;
            none = none && w[s[a1]] == 0.0;
        }
        const idx a = s[a0], b = s[a1 - 1];
        idx j[2 * d_max];
        for (int k = 0; k < d; k++) {
            j[k] = a - d + k;       /* the d points before */
            j[d + k] = b + 1 + k;   /* and after */
        }
        const bool before = a >= d, after = b <= n - 1 - d;
        if (run && before && after && !S.D && b - a < gap_weights::most)
            for (idx i = a; i <= b; i++) weighed(i, j, 2 * d, equal.at(b - a + 1, i - a), z);
        else if (run && before && after && !S.D) polynomial(a, b, j, 2 * d, nullptr, z);
        else if (run && a == 0 && after) polynomial(a, b, j + d, d, S.D ? t : nullptr, z);
        else if (run && b == n - 1 && before) polynomial(a, b, j, d, S.D ? t : nullptr, z);
        /* the normal equations for the rest at d = 2 and equal spacing, as
         * before the rotations took over (so that its results keep their
         * bits), where they square the condition of a long gap's fill */
        else if (none && (d != 2 || S.D) && (before || after))
            with_order(d, [&](auto o) { rotated<decltype(o)::value>(n, S, s + a0, a1 - a0, z, work); });
        else with_order(d, [&](auto o) { banded<decltype(o)::value>(n, S, sigma * sigma, w, y, s + a0, a1 - a0, z, work); });
    }
}

} // namespace givqr
