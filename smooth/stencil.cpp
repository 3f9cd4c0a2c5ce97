/* stencil: the rows of D from the sample times, by the recursion of divided differences */
#include "fp.h"
#include "stencil.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace givqr {

namespace {

/* D's rows from t, each from D_(k-1)'s rows j, j+1 as the recursion says:
 * D_k(j, l) = g * (D_(k-1)(j+1, l-1) - D_(k-1)(j, l)), g = k/(t(j+k) - t(j)),
 * an entry beyond a row 0.  Returns whether every row is row 0 to the bit;
 * the largest sum of |D(j,:)| in *norm. */
template <int d>
bool rows_of(idx n, const double *t, double *rows, double *norm)
{
    bool equal = true;
    double top = 0.0;
    double G[d + 1][d + 1];             /* G[k][i] = g of D_k's row j+i: each row makes one new per k */
    for (int k = 1; k <= d; k++)
        for (int i = 0; i < d - k; i++) G[k][i + 1] = double(k) / (t[i + k] - t[i]);
    for (idx j = 0; j + d < n; j++) {
        for (int k = 1; k <= d; k++) {
            for (int i = 0; i < d - k; i++) G[k][i] = G[k][i + 1];
            G[k][d - k] = double(k) / (t[j + d] - t[j + d - k]);
        }
        double P[d + 1][d + 1];         /* P[i]: D_k's row j+i, entries 0..k; unrolled, in registers */
        for (int i = 0; i <= d; i++) P[i][0] = 1.0;
#pragma GCC unroll 4
        for (int k = 1; k <= d; k++)
#pragma GCC unroll 4
            for (int i = 0; i + k <= d; i++) {      /* in place: P[i+1] is still D_(k-1)'s */
                const double g = G[k][i];
                P[i][k] = g * (P[i + 1][k - 1] - 0.0);
#pragma GCC unroll 4
                for (int l = k - 1; l >= 1; l--) P[i][l] = g * (P[i + 1][l - 1] - P[i][l]);
                P[i][0] = g * (0.0 - P[i][0]);
            }
        double *r = rows + (d + 1) * j, sum = 0.0;
        for (int l = 0; l <= d; l++) {
            r[l] = P[0][l];
            equal = equal && std::memcmp(&r[l], &rows[l], sizeof(double)) == 0;
            sum += std::fabs(r[l]);
        }
        top = std::max(top, sum);
    }
    *norm = top;
    return equal;
}

/* S with the inner entries of D'*D set: each the sum of the products of
 * c's entries that DtD takes, in its order */
stencil inner(stencil S)
{
    for (int k = 0; k <= S.d; k++) {
        double v = 0.0;
        for (int r = S.d - k; r >= 0; r--) v += S.c[r] * S.c[r + k];
        S.dtd[k] = v;
    }
    S.inner = true;
    return S;
}

} // namespace

stencil make_stencil(idx n, int d, const double *t, double *rows)
{
    stencil S = {d, nullptr, {}, t, mean_spacing(n, t), 0.0};
    /* the binomial row: c = (-1)^(d-l) nchoosek (d, l), D_k's row from D_(k-1)'s */
    S.c[0] = 1.0;
    for (int k = 1; k <= d; k++) {
        S.c[k] = S.c[k - 1];
        for (int l = k - 1; l >= 1; l--) S.c[l] = S.c[l - 1] - S.c[l];
        S.c[0] = -S.c[0];
    }
    S.norm = std::ldexp(1.0, d);
    if (!t || n <= d) return inner(S);  /* no row: as on an equal grid */
    bool equal = true;
    switch (d) {
    case 1: equal = rows_of<1>(n, t, rows, &S.norm); break;
    case 2: equal = rows_of<2>(n, t, rows, &S.norm); break;
    case 3: equal = rows_of<3>(n, t, rows, &S.norm); break;
    default: equal = rows_of<4>(n, t, rows, &S.norm); break;
    }
    if (!equal || (n == d + 1 && d > 1)) {     /* a single row is its own row 0, the equal grid's or not */
        S.D = rows;
        return S;
    }
    std::memcpy(S.c, rows, (d + 1) * sizeof(double));
    return inner(S);
}

double DtD_sum(idx n, const stencil &S, idx i, idx j)
{
    if (i > j) {
        const idx k = i;
        i = j;
        j = k;
    }
    double v = 0.0;
    for (idx k = j - S.d > 0 ? j - S.d : 0; k <= i && k <= n - 1 - S.d; k++)
        v += coef(S, k, int(i - k)) * coef(S, k, int(j - k));
    return v;
}

} // namespace givqr
