/* lane_steps.h: the sweep and its two replays for K series at once, one in each lane of a vector */

/*
 * No include guard: smooth/lanes.cpp includes this once for each vector
 * width, each time in a namespace of its own that defines
 *
 *      V        K doubles, a GCC/Clang vector, and I, K 64-bit integers
 *      M        a lane mask, what vgt and veq0 give and sel takes
 *      vgt (a, b), veq0 (a)    a > b, a == 0 in each lane (false for NaN)
 *      sel (m, a, b)           a where m is set, else b, bit for bit
 *      vsqrt    the correctly rounded square root of each lane
 *
 * (the comparisons from the target's own instructions: GCC 12 fails on
 * some vector comparisons of its own at -O2) and, on x86-64, under the
 * target of that width.  Lane l of every V is one
 * series, and each lane computes exactly the scalar operations of
 * smooth_forward (want forward_c2) and smooth_backward in their order
 * (sweep/step.h, core/rotations.h): IEEE division and square root round
 * each lane as the scalar ones do, and rotg's cases become selects of
 * results computed in every lane, so each lane's bits are the scalar ones.
 * Every step is computed (the cycle, which copies rows that repeat to the
 * bit, leaves the same bits).
 */

GIVQR_STEP V vabs(V a)
{
    return (V)((I)a & 0x7fffffffffffffffLL);
}

/* rotg (core/rotations.h) in each lane: the same four cases, the same
 * operations in the same order; lanes of the first two cases compute the
 * others' quotients and discard them. */
GIVQR_STEP void rotg(V &a, V &b, V &c, V &s)
{
    const V a0 = a, b0 = b, zero = {}, one = zero + 1.0;
    const M big = vgt(vabs(a0), vabs(b0)), az = veq0(a0), bz = veq0(b0);
    const V t = -(sel(big, b0, a0) / sel(big, a0, b0));
    const V u = one / vsqrt(t * t + 1.0), v = t * u;
    const V cc = sel(bz, one, sel(az, zero, sel(big, u, v)));
    const V ss = sel(bz, zero, sel(az, one, sel(big, v, u)));
    c = cc;
    s = ss;
    a = cc * a0 - ss * b0;
    b = zero;
}

GIVQR_STEP void rot(V &x, V &y, V c, V s)
{
    const V x0 = x, y0 = y;
    const V xn = c * x0 - s * y0;
    const V yn = s * x0 + c * y0;
    y = yn;
    x = xn;
}

/* D(j, l) of the stencil: the binomial row, or row j of D (0 beyond the
 * last, m-1) */
struct lane_rows {
    const double *D, *c;
    idx m;
    int d;
    GIVQR_STEP double operator()(idx j, int l) const
    {
        return !D ? c[l] : j < m ? D[(d + 1) * j + l] : 0.0;
    }
};

/* Step i of the factorization of [diag(rho)*D'; sigma*I] (QR_step), r =
 * rho(i+d), fused with Q' on [b; 0] (replay_step), c = b(i+d): the
 * rotations into q, R(i,i) into rii, the entry of Q'*[b; 0] that R reaches
 * (row i) into c1 and the sigma row's (row n+i) into w. */
template <int d>
GIVQR_STEP void step_lanes(idx i, idx m, const lane_rows &D, V sigma, V r, V c, V L[], V a[], V q[], V &rii, V &c1,
                           V &w)
{
    const int cols = i < m - d ? d : int(m - 1 - i);
    V R[d + 1], f[d + 1];
    for (int l = 0; l <= d; l++) f[l] = D(i + l, d - l) * r;
    R[0] = L[0];
    for (int l = 1; l <= d; l++) R[l] = V{};
    V t = sigma;                                        /* weight */
    rotg(R[0], t, q[0], q[1]);
    for (int k = 1; k < d; k++) {                       /* carry k */
        V *row = L + k * (k + 1) / 2;
        rotg(R[0], row[0], q[2 * k], q[2 * k + 1]);
        for (int l = 1; l <= k; l++)
            if (l <= cols) rot(R[l], row[l], q[2 * k], q[2 * k + 1]);
    }
    rotg(R[0], f[0], q[2 * d], q[2 * d + 1]);           /* stencil */
    for (int l = 1; l <= d; l++)
        if (l <= cols) rot(R[l], f[l], q[2 * d], q[2 * d + 1]);
    for (int k = 1; k < d; k++)
        for (int l = 1; l <= k; l++) L[(k - 1) * k / 2 + l - 1] = L[k * (k + 1) / 2 + l];
    for (int l = 1; l <= d; l++) L[(d - 1) * d / 2 + l - 1] = f[l];
    rii = R[0];

    w = V{};                                            /* Q' on [b; 0] */
    rot(a[0], w, q[0], q[1]);
    for (int k = 1; k < d; k++) rot(a[0], a[k], q[2 * k], q[2 * k + 1]);
    rot(a[0], c, q[2 * d], q[2 * d + 1]);
    c1 = a[0];
    for (int k = 1; k < d; k++) a[k - 1] = a[k];
    a[d - 1] = c;
}

/* The sweep's first state, stencil rows 0..d-1 in columns 0..d-1, and
 * b(0..d-1) */
template <int d>
GIVQR_STEP void start_lanes(const lane_rows &D, const V rho[], const V b[], V L[], V a[])
{
    for (int k = 0; k < d; k++) {
        for (int l = 0; l <= k; l++) L[k * (k + 1) / 2 + l] = D(l, k - l) * rho[k];
        a[k] = b[k];
    }
}

/* K series through the sweep fused with Q' on [b; 0]: x from b to (c(m..
 * m+d-1), c(n), ..., c(n+m-1)), the rows of Q in T, row i at T + (2d+2)*i. */
template <int d>
void forward_lanes(idx n, const lane_rows &D, V sigma, const V *rho, V *x, V *T)
{
    const idx m = n - d;
    V L[d * (d + 1) / 2], a[d], rii, c1;
    start_lanes<d>(D, rho, x, L, a);
    for (idx i = 0; i < m; i++) step_lanes<d>(i, m, D, sigma, rho[i + d], x[i + d], L, a, T + (2 * d + 2) * i, rii, c1, x[i + d]);
    for (int j = 0; j < d; j++) x[j] = a[j];
}

/* The lanes' series, one in each lane: lane-major rho, b and weights w
 * (weight 1 given as 1), and each series' residuals' scale ys. */
struct lane_series {
    const V *rho, *b, *w;
    V ys;
    GIVQR_STEP V r(idx i) const { return rho[i]; }
    GIVQR_STEP V y(idx i) const { return b[i]; }
    GIVQR_STEP V scale() const { return ys; }
    GIVQR_STEP V add(idx j, V x, V v) const { return sel(vgt(w[j], V{}), x + v, x); }
};

/* The series of src, through the sweep fused with Q' on [b; 0] (each at
 * its sigma, in its lane), as far as forward_sums needs: |c1|^2 (c1 times
 * the scale) summed in each lane as forward_sums::square sums it, into sq
 * and block; R(i,i) of each step to Rd[i]; the state at the start of each
 * step from `from` on to Ls, N a step; and where T is not null, the rows of
 * Q kept in T and c2 in x for the way back (criteria_lanes). */
template <int d>
void squares_kept_lanes(idx n, const lane_rows &D, V sigma, const lane_series &src, V &sq, V &block, V *Rd, V *Ls,
                        idx from, V *T, V *x)
{
    constexpr int N = d * (d + 1) / 2;
    const idx m = n - d;
    const V zero = {}, ys = src.scale();
    V L[N], a[d], r[d], y[d], c1, w, q[2 * d + 2];
    for (int k = 0; k < d; k++) {
        r[k] = src.r(k);
        y[k] = src.y(k);
    }
    start_lanes<d>(D, r, y, L, a);
    sq = zero;
    block = zero;
    for (idx i = 0; i < m; i++) {
        if (i >= from)
            for (int k = 0; k < N; k++) Ls[N * (i - from) + k] = L[k];
        step_lanes<d>(i, m, D, sigma, src.r(i + d), src.y(i + d), L, a, T ? T + (2 * d + 2) * i : q, Rd[i], c1,
                      T ? x[i + d] : w);
        const V e = c1 * ys;
        block += e * e;
        if ((i + 1) % sum_block == 0) {
            sq += block;
            block = zero;
        }
    }
    if (T)
        for (int j = 0; j < d; j++) x[j] = a[j];
}

/* Q on [0; c2] from x as squares_kept_lanes leaves it, with the leverages'
 * recurrence (leverage.h) and what point_sums adds up against the series
 * (its b, weights and scale): into s the totals of rss, edf, rest and loo,
 * each lane's as one series' backward pass makes them; the leverages into
 * H where it is not null. */
template <int d>
void criteria_lanes(idx n, const V *T, V *x, const lane_series &src, V s[4], V *H)
{
    typedef leverage_recurrence<d, V> lr;
    constexpr int N = lr::N;
    const idx m = n - d;
    const V zero = {}, ys = src.scale();
    V p[d], g[2 * N], blk[4];
    for (int k = 0; k < 2 * N; k++) g[k] = zero;
    for (int k = 0; k < d; k++) g[lr::at(k, k)] = zero + 1.0;
    for (int k = 0; k < 4; k++) s[k] = blk[k] = zero;
    auto put = [&](idx j, V z, V h, V q) {
        if (H) H[j] = h;
        const V e = (src.y(j) - z) * ys, l = e / q;
        blk[0] = src.add(j, blk[0], e * e);
        blk[1] = src.add(j, blk[1], h);
        blk[2] = src.add(j, blk[2], q);
        blk[3] = src.add(j, blk[3], l * l);
        if (j % sum_block == 0)
            for (int k = 0; k < 4; k++) {
                s[k] += blk[k];
                blk[k] = zero;
            }
    };
    for (int k = 0; k < d; k++) p[k] = x[k];
    for (idx i = m - 1; i >= 0; i--) {
        const V *r = T + (2 * d + 2) * i;
        V a = {}, c = x[i + d], h, q;
        rot(a, p[d - 1], r[2 * d], -r[2 * d + 1]);
        for (int k = d - 1; k >= 1; k--) rot(a, p[k - 1], r[2 * k], -r[2 * k + 1]);
        rot(a, c, r[0], -r[1]);
        const V z = p[d - 1];
        x[i + d] = z;
        for (int k = d - 1; k >= 1; k--) p[k] = p[k - 1];
        p[0] = a;
        lr::leverage(r, g, h, q);
        put(i + d, z, h, q);
        lr::recur(r, g);
    }
    for (int k = d - 1; k >= 0; k--) x[k] = p[k];
    for (int k = d - 1; k >= 0; k--) put(k, p[k], g[lr::at(k, k)], g[N + lr::at(k, k)]);
}

/* Q on [0; c2], in place: x from what forward_lanes leaves to sqrt(w).*z,
 * column m-1 first.  Step i is replay_back's. */
template <int d>
void backward_lanes(idx n, const V *T, V *x)
{
    constexpr int width = 2 * d + 2;
    const idx m = n - d;
    V p[d];
    for (int k = 0; k < d; k++) p[k] = x[k];
    for (idx i = m - 1; i >= 0; i--) {
        const V *r = T + width * i;
        V a = {}, w = x[i + d];
        rot(a, p[d - 1], r[2 * d], -r[2 * d + 1]);
        for (int k = d - 1; k >= 1; k--) rot(a, p[k - 1], r[2 * k], -r[2 * k + 1]);
        rot(a, w, r[0], -r[1]);
        x[i + d] = p[d - 1];
        for (int k = d - 1; k >= 1; k--) p[k] = p[k - 1];
        p[0] = a;
    }
    for (int k = d - 1; k >= 0; k--) x[k] = p[k];
}

template <int d>
void smooth_lanes_d(idx n, const lane_rows &D, const double *sigma, const double *rho, double *x, double *T)
{
    V s;
    for (int l = 0; l < K; l++) s[l] = sigma[l];
    forward_lanes<d>(n, D, s, (const V *)rho, (V *)x, (V *)T);
    backward_lanes<d>(n, (const V *)T, (V *)x);
}

template <int d>
void sums_lanes_d(idx n, const lane_rows &D, V s, const lane_series &src, V &q, V &k, V *Rd, V *Ls, idx from, V *T,
                  V *x, V t[4], V *H)
{
    squares_kept_lanes<d>(n, D, s, src, q, k, Rd, Ls, from, T, x);
    if (T) criteria_lanes<d>(n, T, x, src, t, H);
}

/* sums_lanes (smooth.h) for this width */
void sums_lanes(idx n, const stencil &S, const double *sigma, const double *rho, const double *b, const double *w,
                const double *ys, double *sq, double *block, double *Rd, double *Ls, idx from, double *T, double *x,
                double *totals, double *h)
{
    const lane_rows D = {S.D, S.c, n - S.d, S.d};
    V s, y, q, k, t[4] = {};
    for (int l = 0; l < K; l++) s[l] = sigma[l], y[l] = ys[l];
    const lane_series src = {(const V *)rho, (const V *)b, (const V *)w, y};
    V *R = (V *)Rd, *Lv = (V *)Ls, *Tv = (V *)T, *xv = (V *)x, *H = (V *)h;
    switch (S.d) {
    case 1: sums_lanes_d<1>(n, D, s, src, q, k, R, Lv, from, Tv, xv, t, H); break;
    case 2: sums_lanes_d<2>(n, D, s, src, q, k, R, Lv, from, Tv, xv, t, H); break;
    case 3: sums_lanes_d<3>(n, D, s, src, q, k, R, Lv, from, Tv, xv, t, H); break;
    default: sums_lanes_d<4>(n, D, s, src, q, k, R, Lv, from, Tv, xv, t, H); break;
    }
    for (int l = 0; l < K; l++) {
        sq[l] = q[l];
        block[l] = k[l];
        for (int j = 0; j < 4; j++) totals[4 * l + j] = t[j][l];
    }
}

/* smooth_lanes (smooth.h) for this width */
void smooth_lanes(idx n, const stencil &S, const double *sigma, const double *rho, double *x, double *T)
{
    const lane_rows D = {S.D, S.c, n - S.d, S.d};
    switch (S.d) {
    case 1: smooth_lanes_d<1>(n, D, sigma, rho, x, T); break;
    case 2: smooth_lanes_d<2>(n, D, sigma, rho, x, T); break;
    case 3: smooth_lanes_d<3>(n, D, sigma, rho, x, T); break;
    default: smooth_lanes_d<4>(n, D, sigma, rho, x, T); break;
    }
}
