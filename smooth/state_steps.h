/* state_steps.h: a step of the state form's filter and of its way back, for a double or a vector of doubles */

/*
 * No include guard: smooth/state.cpp includes this for T = double, and
 * smooth/lanes.cpp once for each vector width, in the namespace that
 * defines its V, rotg and rot (sweep/lane_steps.h).  T is the type of the
 * filter's numbers; the times are the same for every lane.  Each lane
 * computes the scalar operations in their order (state_smooth, smooth.h),
 * and a point without weight is met as one of weight 0, whose rotation is
 * the identity to the bit, so that every lane takes every step.
 */

/* sqrt(w) of a weight in each lane, correctly rounded; 0 where w is not
 * above 0, which the weights take as no weight */
#ifdef GIVQR_STATE_LANES
GIVQR_STEP V root(V w)
{
    return sel(vgt(w, V{}), vsqrt(w), V{});
}
#else
GIVQR_STEP double root(double w)
{
    return w > 0.0 ? std::sqrt(w) : 0.0;
}
#endif

/* t(i) - t(i-k), exactly k where t is null (1:n) */
GIVQR_STEP double spacing(const double *t, idx i, int k)
{
    return t ? t[i] - t[i - k] : double(k);
}

/* d!: (D*z)(i) is d! times the d-th divided difference */
constexpr double factorial[5] = {1.0, 1.0, 2.0, 6.0, 24.0};

/* H(j, p) of Newton's form on the first d points, z(j) = H(j,:)*x, x the
 * state at point d-1 (nodes t(d-1), t(d-2), ..., t(0)): the product of
 * t(j) - t(d-1-l) over l = 0..d-2-p, upper triangular. */
template <int d>
GIVQR_STEP double newton(const double *t, idx j, int p)
{
    double v = 1.0;
    for (int l = 0; l < d - 1 - p; l++) v = v * (t ? t[j] - t[d - 1 - l] : double(j - (d - 1 - l)));
    return v;
}

/* The rotations of one step, which R alone decides (with the spacings and
 * the weight): (c(0), s(0)) of the penalty row, (c(1+k), s(1+k)) of rows k,
 * k+1 of R*T, (c(d), s(d)) of the observation, and the part of the penalty
 * row they leave that is not r's. */
template <int d, class T>
struct state_turns {
    T c[d + 1], s[d + 1], e[d + 1];
};

/* Point j < d, o*H(j,:)*x = o*y(j) (o*y in oy), merged into R*x = r by
 * rotations of rows j..d-1; returns the residual the row leaves. */
template <int d, class T>
GIVQR_STEP T state_merge(T R[d][d], T r[d], const double *t, int j, T o, T oy)
{
    T a[d];
    for (int p = 0; p < d; p++) a[p] = p < j ? T{} : o * newton<d>(t, j, p);
    for (int k = j; k < d; k++) {
        T c, s;
        rotg(R[k][k], a[k], c, s);
        for (int l = k + 1; l < d; l++) rot(R[k][l], a[l], c, s);
        rot(r[k], oy, c, s);
    }
    return oy;
}

/* Step i of R: x(i-1) = T*x(i) - g*e1*e, e = (D*z)(i-d), so R*x(i-1) = r
 * becomes R*T*x(i) - g*R(0,0)*e = r, met by the penalty row pen*e = 0;
 * then R*T, upper Hessenberg, back to triangular, and the observation
 * o*z(i) = o*y(i) (o = sqrt(w(i))) against row d-1.  Its rotations into q. */
template <int d, class T>
GIVQR_STEP void state_turn(T R[d][d], const double *t, idx i, T pen, T o, state_turns<d, T> &q)
{
    T a = pen, b = -((spacing(t, i, d) / factorial[d]) * R[0][0]);
    for (int p = 0; p + 1 < d; p++) {         /* R*T: column p less (t(i) - t(i-d+1+p)) times column p+1 */
        const double h = spacing(t, i, d - 1 - p);
        for (int k = 0; k <= p + 1; k++) R[k][p] = R[k][p] - h * R[k][p + 1];
    }
    rotg(a, b, q.c[0], q.s[0]);               /* the penalty row against row 0, the only other with e */
    q.e[0] = a;
    for (int l = 0; l < d; l++) {
        q.e[1 + l] = T{};
        rot(q.e[1 + l], R[0][l], q.c[0], q.s[0]);
    }
    for (int k = 0; k + 1 < d; k++) {
        rotg(R[k][k], R[k + 1][k], q.c[1 + k], q.s[1 + k]);
        for (int l = k + 1; l < d; l++) rot(R[k][l], R[k + 1][l], q.c[1 + k], q.s[1 + k]);
    }
    rotg(R[d - 1][d - 1], o, q.c[d], q.s[d]);
}

/* The same step of r, o*y(i) in oy: the penalty row kept in e (d+2) for
 * the way back; returns the residual the observation leaves. */
template <int d, class T>
GIVQR_STEP T state_turn_r(const state_turns<d, T> &q, T oy, T r[d], T e[d + 2])
{
    for (int l = 0; l <= d; l++) e[l] = q.e[l];
    e[d + 1] = T{};
    rot(e[d + 1], r[0], q.c[0], q.s[0]);
    for (int k = 0; k + 1 < d; k++) rot(r[k], r[k + 1], q.c[1 + k], q.s[1 + k]);
    rot(r[d - 1], oy, q.c[d], q.s[d]);
    return oy;
}

/* x = R \ r */
template <int d, class T>
GIVQR_STEP void state_solve(const T R[d][d], const T r[d], T x[d])
{
    for (int k = d - 1; k >= 0; k--) {
        T v = r[k];
        for (int l = k + 1; l < d; l++) v = v - R[k][l] * x[l];
        x[k] = v / R[k][k];
    }
}

/* The way back at point i: x(i-1) from x(i), e = (e(d+1) - e(1..d)*x) *
 * (1/e(0)), the reciprocal off the chain of dependent steps */
template <int d, class T>
GIVQR_STEP void state_back(const T e[d + 2], const double *t, idx i, T x[d])
{
    T v = e[d + 1];
    for (int l = 0; l < d; l++) v = v - e[1 + l] * x[l];
    v = v * (1.0 / e[0]);
    for (int p = d - 1; p >= 1; p--) x[p] = x[p] - spacing(t, i, d - p) * x[p - 1];
    x[0] = x[0] - (spacing(t, i, d) / factorial[d]) * v;
}

/* z(j) = H(j,:)*x at the first d points */
template <int d, class T>
GIVQR_STEP T state_newton_z(const double *t, idx j, const T x[d])
{
    T v = T{};
    for (int p = int(j); p < d; p++) v = v + newton<d>(t, j, p) * x[p];
    return v;
}

/* sum_block (sums.h) of the squares at a time in block, then into sq, as
 * forward_sums::square adds them: the count is the point's */
template <class T>
GIVQR_STEP void state_square(idx j, T v, T &sq, T &block)
{
    block = block + v * v;
    if ((j + 1) % sum_block == 0) {
        sq = sq + block;
        block = T{};
    }
}

/* The filter over the n points from R = 0: the weights w (null: all 1) and
 * b = sqrt(w).*y (0 where w is), the kept rows in E (d+2 a point, from
 * point d), the residuals' squares times ys into sq and block, R and r at
 * the end.  With cycle (every step the same: t and w null), R may come
 * back to itself, to the bit, some steps later (a cycle of up to `ring`
 * steps): from there on the steps' rotations repeat with it, and only r is
 * carried, to the same bits.  R is compared with the one at step s, s
 * moved on every `ring` steps; the rotations of the last `ring` kept. */
template <int d, class T, bool cycle = false>
GIVQR_STEP void state_filter(idx n, const double *t, T pen, const T *w, const T *b, T ys, T *E, T &sq, T &block,
                             T R[d][d], T r[d])
{
    constexpr int ring = cycle ? 64 : 1;
    const T one = T{} + 1.0;
    for (int i = 0; i < d; i++) {
        r[i] = T{};
        for (int j = 0; j < d; j++) R[i][j] = T{};
    }
    sq = T{}, block = T{};
    for (int j = 0; j < d; j++) state_square(j, ys * state_merge<d>(R, r, t, j, w ? root(w[j]) : one, b[j]), sq, block);
    state_turns<d, T> q[ring];
    T was[d][d];
    idx s = d;
    for (idx i = d; i < n; i++) {
        if (cycle && i > s && std::memcmp(was, R, sizeof was) == 0) {
            const idx per = i - s;
            for (idx j = i; j < n; j++)
                state_square(j, ys * state_turn_r<d>(q[(s + (j - i) % per) % ring], b[j], r, E + (d + 2) * j), sq,
                             block);
            for (idx j = 0; j < (n - i) % per; j++) state_turn<d>(R, t, i + j, pen, one, q[0]);     /* R at the end */
            return;
        }
        if (cycle && i - s >= ring) s = i;
        if (cycle && i == s) std::memcpy(was, R, sizeof was);
        state_turn<d>(R, t, i, pen, w ? root(w[i]) : one, q[i % ring]);
        state_square(i, ys * state_turn_r<d>(q[i % ring], b[i], r, E + (d + 2) * i), sq, block);
    }
}

/* v = M*v, M the way back's map of x(i)'s error to x(i-1)'s: e's part
 * -E(i,1..d)*v/E(i,0), then the recurrence (state_back without r) */
template <int d, class T>
GIVQR_STEP void state_back_error(const T e[d + 2], T a, const double *t, idx i, T v[d])
{
    T u = e[1] * v[0];
    for (int l = 1; l < d; l++) u = u + e[1 + l] * v[l];
    u = -u * a;
    for (int p = d - 1; p >= 1; p--) v[p] = v[p] - spacing(t, i, d - p) * v[p - 1];
    v[0] = v[0] - (spacing(t, i, d) / factorial[d]) * u;
}

/* The covariance of x(i-1) from P that of x(i): the kept rows are those of
 * the whole problem's R, triangular in (e(d), ..., e(n-1), x(n-1)), so e(i)'s
 * error is (nu - E(i,1..d)*dx(i))/E(i,0), nu of unit variance apart from
 * dx(i): P = M*P*M' + (g(i)/E(i,0))^2*e1*e1', its upper triangle mirrored */
template <int d, class T>
GIVQR_STEP void state_back_cov(const T e[d + 2], const double *t, idx i, T P[d][d])
{
    const T a = 1.0 / e[0];
    T v[d];
    for (int k = 0; k < d; k++) {           /* P = M*P, column by column */
        for (int p = 0; p < d; p++) v[p] = P[p][k];
        state_back_error<d>(e, a, t, i, v);
        for (int p = 0; p < d; p++) P[p][k] = v[p];
    }
    for (int k = 0; k < d; k++) {           /* P = P*M', row by row */
        state_back_error<d>(e, a, t, i, P[k]);
    }
    for (int p = 0; p < d; p++)
        for (int k = 0; k < p; k++) P[p][k] = P[k][p];
    const T g = (spacing(t, i, d) / factorial[d]) * a;
    P[0][0] = P[0][0] + g * g;
}

/* (R'*R)^(-1) = U*U', U = R^(-1) */
template <int d, class T>
GIVQR_STEP void state_cov_end(const T R[d][d], T P[d][d])
{
    T U[d][d];
    for (int j = 0; j < d; j++)
        for (int k = d - 1; k >= 0; k--) {
            T v = T{} + (k == j ? 1.0 : 0.0);
            for (int l = k + 1; l <= j; l++) v = v - R[k][l] * U[l][j];
            U[k][j] = k > j ? T{} : v / R[k][k];
        }
    for (int p = 0; p < d; p++)
        for (int k = p; k < d; k++) {
            T v = U[p][k] * U[k][k];
            for (int l = k + 1; l < d; l++) v = v + U[p][l] * U[k][l];
            P[p][k] = v, P[k][p] = v;
        }
}

/* H(j,:)*P*H(j,:)', the variance of z(j) at the first d points */
template <int d, class T>
GIVQR_STEP T state_newton_var(const double *t, idx j, const T P[d][d])
{
    T v = T{};
    for (int p = int(j); p < d; p++) {
        T u = T{};
        for (int q = int(j); q < d; q++) u = u + P[p][q] * newton<d>(t, j, q);
        v = v + newton<d>(t, j, p) * u;
    }
    return v;
}

/* The way back: z from the kept rows E and R*x = r at the last point; where
 * h is not null, with the leverages h(i) = w(i)*var(z(i)) (w null: all 1),
 * the variance from the covariance of x(i) carried alongside */
template <int d, class T>
GIVQR_STEP void state_way_back(idx n, const double *t, const T *E, const T R[d][d], const T r[d], T *z,
                               const T *w = nullptr, T *h = nullptr)
{
    T x[d], P[d][d] = {};
    state_solve<d>(R, r, x);
    if (h) state_cov_end<d>(R, P);
    auto lev = [&](idx j, T v) { h[j] = w ? w[j] * v : v; };
    z[n - 1] = x[d - 1];
    if (h) lev(n - 1, P[d - 1][d - 1]);
    for (idx i = n - 1; i >= d; i--) {
        state_back<d>(E + (d + 2) * i, t, i, x);
        z[i - 1] = x[d - 1];
        if (!h) continue;
        state_back_cov<d>(E + (d + 2) * i, t, i, P);
        lev(i - 1, P[d - 1][d - 1]);
    }
    for (idx j = 0; j + 1 < d; j++) {
        z[j] = state_newton_z<d>(t, j, x);
        if (h) lev(j, state_newton_var<d>(t, j, P));
    }
}

#ifdef GIVQR_STATE_LANES
/* state_lanes (smooth.h) at this width, K and V */
template <int d>
void state_lanes_d(idx n, const double *t, const double *sigma, const double *w, const double *b, const double *ys,
                   double *z, double *E, double *sq, double *Rd, double *h)
{
    V pen, y, s, block, R[d][d], r[d];
    for (int l = 0; l < K; l++) {
        pen[l] = 1.0 / sigma[l];
        y[l] = ys[l];
    }
    state_filter<d>(n, t, pen, reinterpret_cast<const V *>(w), reinterpret_cast<const V *>(b), y,
                    reinterpret_cast<V *>(E), s, block, R, r);
    for (int l = 0; l < K; l++) {
        sq[l] = s[l] + block[l];
        for (int k = 0; k < d; k++) Rd[d * l + k] = R[k][k][l];
    }
    if (z)
        state_way_back<d>(n, t, reinterpret_cast<const V *>(E), R, r, reinterpret_cast<V *>(z),
                          reinterpret_cast<const V *>(w), reinterpret_cast<V *>(h));
}

void state_lanes(idx n, int d, const double *t, const double *sigma, const double *w, const double *b,
                 const double *ys, double *z, double *E, double *sq, double *Rd, double *h)
{
    switch (d) {
    case 1: state_lanes_d<1>(n, t, sigma, w, b, ys, z, E, sq, Rd, h); break;
    case 2: state_lanes_d<2>(n, t, sigma, w, b, ys, z, E, sq, Rd, h); break;
    case 3: state_lanes_d<3>(n, t, sigma, w, b, ys, z, E, sq, Rd, h); break;
    default: state_lanes_d<4>(n, t, sigma, w, b, ys, z, E, sq, Rd, h); break;
    }
}
#endif
