/* stencil: the rows of D from the sample times, by the recursion of divided differences */
#include "fp.h"
#include "stencil.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace givqr {

stencil make_stencil(idx n, int d, const double *t, double *rows)
{
    stencil S = {d, nullptr, {}, t, double(n - 1), 0.0};
    /* the binomial row: c = (-1)^(d-l) nchoosek (d, l), D_k's row from D_(k-1)'s */
    S.c[0] = 1.0;
    for (int k = 1; k <= d; k++) {
        S.c[k] = S.c[k - 1];
        for (int l = k - 1; l >= 1; l--) S.c[l] = S.c[l - 1] - S.c[l];
        S.c[0] = -S.c[0];
    }
    S.norm = std::ldexp(1.0, d);
    if (!t) return S;
    S.span = t[n - 1] - t[0];
    S.norm = 0.0;

    /* row j: D_k(j, l) = g * (D_(k-1)(j+1, l-1) - D_(k-1)(j, l)), g = k/(t(j+k) - t(j)),
     * an entry beyond a row 0 */
    bool equal = true;
    for (idx j = 0; j + d < n; j++) {
        double *r = rows + (d + 1) * j, prev[d_max + 2][d_max + 1];
        for (int i = 0; i <= d; i++) prev[i][0] = 1.0;     /* D_0: rows j..j+d */
        for (int k = 1; k <= d; k++)
            for (int i = 0; i + k <= d; i++) {              /* D_k's row j+i, from D_(k-1)'s rows j+i, j+i+1 */
                const double g = double(k) / (t[j + i + k] - t[j + i]);
                double next[d_max + 1];
                for (int l = 0; l <= k; l++) {
                    const double up = l >= 1 ? prev[i + 1][l - 1] : 0.0, here = l < k ? prev[i][l] : 0.0;
                    next[l] = g * (up - here);
                }
                std::memcpy(prev[i], next, (k + 1) * sizeof(double));
            }
        std::memcpy(r, prev[0], (d + 1) * sizeof(double));
        equal = equal && std::memcmp(r, rows, (d + 1) * sizeof(double)) == 0;
        double sum = 0.0;
        for (int l = 0; l <= d; l++) sum += std::fabs(r[l]);
        S.norm = std::max(S.norm, sum);
    }
    if (equal) std::memcpy(S.c, rows, (d + 1) * sizeof(double));
    else S.D = rows;
    return S;
}

double DtD(idx n, const stencil &S, idx i, idx j)
{
    if (i > j) {
        const idx k = i;
        i = j;
        j = k;
    }
    double v = 0.0;
    for (idx k = j - S.d > 0 ? j - S.d : 0; k <= i && k <= n - 1 - S.d; k++) v += coef(S, k, int(i - k)) * coef(S, k, int(j - k));
    return v;
}

} // namespace givqr
