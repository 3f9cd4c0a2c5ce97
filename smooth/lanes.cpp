/* lanes: K series through the sweep at once, one in each lane of this machine's widest vectors */
#include "fp.h"
#include "leverage.h"
#include "smooth.h"

#include <cstdlib>
#include <cstring>

/*
 * The lanes are GCC/Clang vectors; the widths a build has:
 *
 *      x86-64      2 (SSE2), 4 (AVX2), 8 (AVX-512F), picked at run time,
 *                  each width compiled for its own target; on Windows 2
 *                  alone (MinGW's GCC does not align its stack for wider
 *                  vectors)
 *      aarch64     2 (NEON)
 *      others      none: every series is smoothed on its own
 *
 * No target has fused multiply-add here: fp.h turns contraction off for
 * the whole file, the wider targets' code included.
 */
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__aarch64__))
#define GIVQR_LANES 1
#if defined(__x86_64__)
#include <immintrin.h>
#if !defined(_WIN32)
#define GIVQR_LANES_WIDE 1
#endif
#else
#include <arm_neon.h>
#endif
#endif

#define GIVQR_STATE_LANES 1

namespace givqr {

#if GIVQR_LANES
namespace lanes2 {
constexpr int K = 2;
typedef double V __attribute__((vector_size(16)));
typedef long long I __attribute__((vector_size(16)));
#if defined(__x86_64__)
typedef __m128d M;
GIVQR_STEP M vgt(V a, V b) { return _mm_cmpgt_pd((__m128d)a, (__m128d)b); }
GIVQR_STEP M veq0(V a) { return _mm_cmpeq_pd((__m128d)a, _mm_setzero_pd()); }
GIVQR_STEP V sel(M m, V a, V b) { return (V)_mm_or_pd(_mm_and_pd(m, (__m128d)a), _mm_andnot_pd(m, (__m128d)b)); }
GIVQR_STEP V vsqrt(V v) { return (V)_mm_sqrt_pd((__m128d)v); }
#else
typedef uint64x2_t M;
GIVQR_STEP M vgt(V a, V b) { return vcgtq_f64((float64x2_t)a, (float64x2_t)b); }
GIVQR_STEP M veq0(V a) { return vceqzq_f64((float64x2_t)a); }
GIVQR_STEP V sel(M m, V a, V b) { return (V)vbslq_f64(m, (float64x2_t)a, (float64x2_t)b); }
GIVQR_STEP V vsqrt(V v) { return (V)vsqrtq_f64((float64x2_t)v); }
#endif
#include "lane_steps.h"
#include "state_steps.h"
} // namespace lanes2
#endif

#if GIVQR_LANES_WIDE
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace lanes4 {
constexpr int K = 4;
typedef double V __attribute__((vector_size(32)));
typedef long long I __attribute__((vector_size(32)));
typedef __m256d M;
GIVQR_STEP M vgt(V a, V b) { return _mm256_cmp_pd((__m256d)a, (__m256d)b, _CMP_GT_OQ); }
GIVQR_STEP M veq0(V a) { return _mm256_cmp_pd((__m256d)a, _mm256_setzero_pd(), _CMP_EQ_OQ); }
GIVQR_STEP V sel(M m, V a, V b) { return (V)_mm256_blendv_pd((__m256d)b, (__m256d)a, m); }
GIVQR_STEP V vsqrt(V v) { return (V)_mm256_sqrt_pd((__m256d)v); }
#include "lane_steps.h"
#include "state_steps.h"
} // namespace lanes4
#if defined(__clang__)
#pragma clang attribute pop
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512f")
#endif
namespace lanes8 {
constexpr int K = 8;
typedef double V __attribute__((vector_size(64)));
typedef long long I __attribute__((vector_size(64)));
typedef __mmask8 M;
GIVQR_STEP M vgt(V a, V b) { return _mm512_cmp_pd_mask((__m512d)a, (__m512d)b, _CMP_GT_OQ); }
GIVQR_STEP M veq0(V a) { return _mm512_cmp_pd_mask((__m512d)a, _mm512_setzero_pd(), _CMP_EQ_OQ); }
GIVQR_STEP V sel(M m, V a, V b) { return (V)_mm512_mask_blend_pd(m, (__m512d)b, (__m512d)a); }
GIVQR_STEP V vsqrt(V v) { return (V)_mm512_mask_sqrt_pd((__m512d)v, 0xff, (__m512d)v); }
#include "lane_steps.h"
#include "state_steps.h"
} // namespace lanes8
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif

int lane_width()
{
    int widest = 1;
#if GIVQR_LANES
    widest = 2;
#endif
#if GIVQR_LANES_WIDE
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) widest = 8;
    else if (__builtin_cpu_supports("avx2")) widest = 4;
#endif
    if (const char *e = std::getenv("GIVQR_LANES")) {
        const int asked = std::atoi(e);
        if (asked >= 1 && asked < widest) widest = asked == 1 ? 1 : asked < 4 ? 2 : 4;
    }
    return widest;
}

int lanes_within(double per_lane)
{
    int K = lane_width();
    while (K > 1 && per_lane * K > 0x1p23) K /= 2;
    return K;
}

void sums_lanes(int K, idx n, const stencil &S, const double *sigma, const double *rho, const double *b,
                const double *w, const double *ys, double *sq, double *block, double *Rd, double *Ls, idx from,
                double *T, double *x, double *totals, double *h)
{
    switch (K) {
#if GIVQR_LANES_WIDE
    case 8: lanes8::sums_lanes(n, S, sigma, rho, b, w, ys, sq, block, Rd, Ls, from, T, x, totals, h); break;
    case 4: lanes4::sums_lanes(n, S, sigma, rho, b, w, ys, sq, block, Rd, Ls, from, T, x, totals, h); break;
#endif
#if GIVQR_LANES
    case 2: lanes2::sums_lanes(n, S, sigma, rho, b, w, ys, sq, block, Rd, Ls, from, T, x, totals, h); break;
#endif
    default: break;
    }
}

void state_lanes(int K, idx n, int d, const double *t, const double *sigma, const double *w, const double *b,
                 const double *ys, double *z, double *E, double *sq, double *Rd, double *h)
{
    switch (K) {
#if GIVQR_LANES_WIDE
    case 8: lanes8::state_lanes(n, d, t, sigma, w, b, ys, z, E, sq, Rd, h); break;
    case 4: lanes4::state_lanes(n, d, t, sigma, w, b, ys, z, E, sq, Rd, h); break;
#endif
#if GIVQR_LANES
    case 2: lanes2::state_lanes(n, d, t, sigma, w, b, ys, z, E, sq, Rd, h); break;
#endif
    default: break;
    }
}

void smooth_lanes(int K, idx n, const stencil &S, const double *sigma, const double *rho, double *x, double *T)
{
    switch (K) {
#if GIVQR_LANES_WIDE
    case 8: lanes8::smooth_lanes(n, S, sigma, rho, x, T); break;
    case 4: lanes4::smooth_lanes(n, S, sigma, rho, x, T); break;
#endif
#if GIVQR_LANES
    case 2: lanes2::smooth_lanes(n, S, sigma, rho, x, T); break;
#endif
    default: break;
    }
}

} // namespace givqr
