/* fill: z at the points the residual cannot give, from the rows of D and of the normal equations there */
#include "fp.h"
#include "smooth.h"
#include "rotations.h"

#include <algorithm>

namespace givqr {

namespace {

/* The rows s(0..ns-1) at once, by L*diag(p)*L' of their banded matrix M,
 * L(a,a-k) in l + k*ns for k = 1..d.  inner: a cluster whose rows of D'*D
 * are all inner (S.inner, s(0) >= 2d and s(ns-1) <= n-1-2d) where s holds
 * every point without weight and none with; then j lies in s where w(j) =
 * 0, and the entries are the stencil's, without the search through s (the
 * same operations, in the same order). */
template <int d, bool inner>
void banded(idx n, const stencil &S, double s2, const double *w, const double *y, const idx *s, idx ns, double *z,
            double *work)
{
    double *p = work, *l = work;            /* the pivots, then L(a,a-k) at l[k*ns + a] */

    /* M = L*diag(p)*L' row by row, and L*g = f into z(s(a)) */
    for (idx a = 0, q = 0; a < ns; a++) {
        const idx i = s[a];
        double f = w[i] > 0.0 ? s2 * w[i] * y[i] : 0.0;
        if constexpr (inner) {
            for (int e = -d; e <= d; e++)                   /* the known z(j) to the right */
                if (e != 0) {
                    const double g = f - S.dtd[e < 0 ? -e : e] * z[i + e];
                    f = w[i + e] != 0.0 ? g : f;
                }
        } else {
            while (s[q] < i - d) q++;                       /* the first of s within d of i */
            for (idx j = i - d, r = q; j <= i + d; j++) {   /* the known z(j) to the right */
                while (r < ns && s[r] < j) r++;
                if (j < 0 || j >= n || (r < ns && s[r] == j)) continue;     /* j in s (i among them) */
                f = f - DtD(n, S, j, i) * z[j];
            }
        }
        for (int k = d; k >= 1; k--) {                      /* L(a,a-k), the farthest first */
            if (a < k) {
                l[k * ns + a] = 0.0;
                continue;
            }
            const idx off = i - s[a - k];
            double v;                                       /* M(a,a-k) */
            if constexpr (inner) {
                const double v0 = S.dtd[off <= d ? off : 0];
                v = off <= d ? v0 : 0.0;
            } else {
                v = off <= d ? DtD(n, S, s[a - k], i) : 0.0;
            }
            for (int j = d; j > k; j--)
                if (a >= j) v = v - l[j * ns + a] * p[a - j] * l[(j - k) * ns + a - k];
            l[k * ns + a] = v / p[a - k];
        }
        p[a] = (inner ? S.dtd[0] : DtD(n, S, i, i)) + s2 * w[i];
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
GIVQR_STEP void weighed(idx i, const idx *j, int k, const double *l, double *z)
{
    double v = z[j[0]] * l[0];
    for (int e = 1; e < k; e++) v = v + z[j[e]] * l[e];
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
 * points either side, for gaps of up to gap_most points: l[len-1][o] at
 * point o of a gap of len, those lagrange gives with the gap from 0, which
 * are those of any other place to the bit (every difference of abscissae
 * an exact integer).  Made once for each order. */
constexpr int gap_most = 8;
template <int d>
struct gap_weights {
    double l[gap_most][gap_most][2 * d];
    gap_weights()
    {
        for (idx len = 1; len <= gap_most; len++) {
            idx j[2 * d_max];
            for (int k = 0; k < d; k++) {
                j[k] = k - d;
                j[d + k] = len + k;
            }
            for (idx o = 0; o < len; o++) lagrange(double(o), j, 2 * d, nullptr, l[len - 1][o]);
        }
    }
};

template <int d>
const gap_weights<d> &gap_weights_of()
{
    static const gap_weights<d> g;
    return g;
}

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

/* The cluster s(a0..a1-1): a run where its points follow one another and
 * none has weight, with `none` where none has; zero: s holds every point
 * without weight and none with. */
template <int d>
void cluster(idx n, const stencil &S, const double *t, double sigma, const double *w, const double *y, const idx *s,
             idx a0, idx a1, bool run, bool none, bool zero, double *z, double *work)
{
    const idx a = s[a0], b = s[a1 - 1];
    idx j[2 * d_max];
    for (int k = 0; k < d; k++) {
        j[k] = a - d + k;       /* the d points before */
        j[d + k] = b + 1 + k;   /* and after */
    }
    const bool before = a >= d, after = b <= n - 1 - d;
    if (run && before && after && !S.D && b - a < gap_most)
        for (idx i = a; i <= b; i++) weighed(i, j, 2 * d, gap_weights_of<d>().l[b - a][i - a], z);
    else if (run && before && after && !S.D) polynomial(a, b, j, 2 * d, nullptr, z);
    else if (run && a == 0 && after) polynomial(a, b, j + d, d, S.D ? t : nullptr, z);
    else if (run && b == n - 1 && before) polynomial(a, b, j, d, S.D ? t : nullptr, z);
    /* the normal equations for the rest at d = 2 and equal spacing, as
     * before the rotations took over (so that its results keep their
     * bits), where they square the condition of a long gap's fill */
    else if (none && (d != 2 || S.D) && (before || after)) rotated<d>(n, S, s + a0, a1 - a0, z, work);
    else if (zero && S.inner && a >= 2 * d && b <= n - 1 - 2 * d)
        banded<d, true>(n, S, sigma * sigma, w, y, s + a0, a1 - a0, z, work);
    else banded<d, false>(n, S, sigma * sigma, w, y, s + a0, a1 - a0, z, work);
}

/* smooth_fill at order d.  Where s is every point without weight and none
 * with, at equal spacing, the gaps of at most gap_most points inside the
 * series, each a cluster of its own, are filled in one pass over s with no
 * branch on where the gaps fall: each point's cluster from its end (found
 * in a pass back, in ends) and its start (carried forward).  Every point
 * takes the value it would have in such a gap; the other clusters (their
 * starts in ends + ns) are then solved over it. */
template <int d>
void fill_order(idx n, const stencil &S, const double *t, double sigma, const double *w, const double *y,
                const idx *s, idx ns, double *z, double *work, idx *ends)
{
    bool zero = true;
    for (idx a = 0; a < ns; a++) zero = zero & (w[s[a]] == 0.0);
    if (!zero || S.D || n <= 2 * d) {
        for (idx a0 = 0, a1; a0 < ns; a0 = a1) {
            bool run = w[s[a0]] == 0.0, none = run;
            for (a1 = a0 + 1; a1 < ns && s[a1] - s[a1 - 1] <= d; a1++) {
                run = run && s[a1] == s[a1 - 1] + 1 && w[s[a1]] == 0.0;
                none = none && w[s[a1]] == 0.0;
            }
            cluster<d>(n, S, t, sigma, w, y, s, a0, a1, run, none, zero, z, work);
        }
        return;
    }
    const gap_weights<d> &g = gap_weights_of<d>();
    idx *starts = ends + ns, slow = 0;
    for (idx c = ns - 1, e = ns - 1; c >= 0; c--) {
        e = c + 1 < ns && s[c + 1] - s[c] <= d ? e : c;
        ends[c] = e;
    }
    for (idx c = 0, c0 = 0; c < ns; c++) {
        c0 = c > 0 && s[c] - s[c - 1] <= d ? c0 : c;
        const idx c1 = ends[c], a = s[c0], b = s[c1];
        const bool fast = b - a == c1 - c0 && a >= d && b <= n - 1 - d && b - a < gap_most;
        starts[slow] = c0;
        slow += c == c0 && !fast;
        const idx A = fast ? a : d, B = fast ? b : d;   /* elsewhere a gap at d, the value overwritten */
        idx j[2 * d_max];
        for (int k = 0; k < d; k++) {
            j[k] = A - d + k;
            j[d + k] = B + 1 + k;
        }
        weighed(s[c], j, 2 * d, g.l[B - A][fast ? s[c] - a : 0], z);
    }
    for (idx k = 0; k < slow; k++) {
        const idx a0 = starts[k], a1 = ends[a0] + 1;
        cluster<d>(n, S, t, sigma, w, y, s, a0, a1, s[a1 - 1] - s[a0] == a1 - 1 - a0, true, true, z, work);
    }
}

} // namespace

void smooth_fill(idx n, const stencil &S, const double *t, double sigma, const double *w, const double *y,
                 const idx *s, idx ns, double *z, double *work, idx *ends)
{
    with_order(S.d, [&](auto o) { fill_order<decltype(o)::value>(n, S, t, sigma, w, y, s, ns, z, work, ends); });
}

} // namespace givqr
