// LDL_banded: the weighted Whittaker smooth as banded-solver tools compute it,
// from the squared system (W + lambda*D'*D)*z = W*y factored as L*diag(p)*L';
// a peer the benchmarks measure givsmooth's panels against, not a route of
// givsmooth.  D is the (n-d)-by-n matrix of d-th differences at equal spacing.
#include "types.h"

#include <algorithm>

namespace givqr {

// B = lambda*D'*D's band, once for every series of n points: B(i,i-k) at
// B[(d+1)*i + k], k = 0..d.
void DtD_band(idx n, int d, double lambda, double *B)
{
    double c[d_max + 1] = {1.0};                    // (-1)^(d-l) nchoosek(d, l)
    for (int k = 1; k <= d; k++)
        for (int l = k; l >= 0; l--) c[l] = (l > 0 ? c[l - 1] : 0.0) - (l < k ? c[l] : 0.0);
    for (idx i = 0; i < n; i++)
        for (idx j = i; j >= std::max<idx>(0, i - d); j--) {
            double s = 0.0;
            for (idx k = std::max<idx>(0, i - d); k <= std::min(j, n - d - 1); k++) s += c[i - k] * c[j - k];
            B[(d + 1) * i + (i - j)] = lambda * s;
        }
}

namespace {

// z from y (NaN where w is 0), the weights w and B; work of (2d+2)*(n+d):
// L's band (L(i,i-k) at L[d*i + d-k]), the pivots p and L*u = W*y, each
// with d rows of zeros (pivots 1) before row 0, so that every loop runs d
// times.
template <int d>
void LDL(idx n, const double *B, const double *w, const double *y, double *z, double *work)
{
    double *L = work + d * d, *p = work + (d + 1) * d + d * n, *u = p + n + d;
    for (idx i = -d; i < 0; i++) {
        for (int k = 1; k <= d; k++) L[d * i + d - k] = 0.0;
        p[i] = 1.0;
        u[i] = 0.0;
    }
    for (idx i = 0; i < n; i++) {
        double *Li = L + d * i, s = 0.0;
        for (int k = d; k >= 1; k--) {
            double v = i >= k ? B[(d + 1) * i + k] : 0.0;
            for (int j = d; j > k; j--) v -= Li[d - j] * L[d * (i - k) + d - (j - k)] * p[i - j];
            Li[d - k] = v / p[i - k];
        }
        double q = B[(d + 1) * i] + w[i], f = w[i] > 0.0 ? w[i] * y[i] : 0.0;
        for (int k = 1; k <= d; k++) {
            q -= Li[d - k] * Li[d - k] * p[i - k];
            s += Li[d - k] * u[i - k];
        }
        p[i] = q;
        u[i] = f - s;
    }
    for (idx i = n - 1; i >= 0; i--) {              // diag(p)*L'*z = u
        double v = u[i] / p[i];
        for (int k = 1; k <= d && i + k < n; k++) v -= L[d * (i + k) + d - k] * z[i + k];
        z[i] = v;
    }
}

} // namespace

void LDL_banded(idx n, int d, const double *B, const double *w, const double *y, double *z, double *work)
{
    switch (d) {
    case 1: LDL<1>(n, B, w, y, z, work); break;
    case 2: LDL<2>(n, B, w, y, z, work); break;
    case 3: LDL<3>(n, B, w, y, z, work); break;
    default: LDL<4>(n, B, w, y, z, work); break;
    }
}

} // namespace givqr
