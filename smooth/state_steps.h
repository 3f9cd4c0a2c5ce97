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

/* Point j's leverage from var(z) there, v: w(j)*v where it has weight (w
 * null: all 1), and v itself where it has none, for the standard error there */
#ifdef GIVQR_STATE_LANES
GIVQR_STEP V leverage(const V *w, idx j, V v)
{
    return w ? sel(vgt(w[j], V{}), w[j] * v, v) : v;
}
#else
GIVQR_STEP double leverage(const double *w, idx j, double v)
{
    return w && w[j] > 0.0 ? w[j] * v : v;
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
 * row they leave that is not r's; and R(d-1,d-1) they leave. */
template <int d, class T>
struct state_turns {
    T c[d + 1], s[d + 1], e[d + 1], last;      /* last: R(d-1,d-1) after the step */
};

/* Where the filter's steps came round (state_filter with cycle): from
 * step `from` on (n: never), step j's rotations are those at(j), and of
 * its kept row only e(d+1), r's part, is stored, at E + (d+2)*from + (j -
 * from): a double a step where there were d+2. */
template <int d, class T>
struct state_cycle {
    static constexpr int ring = 64;
    idx from, s, per;
    state_turns<d, T> q[ring];
    T back[ring][d][d];         /* the way back's S after each of its last `ring` rows (state_way_back) */
    const state_turns<d, T> &at(idx j) const { return q[(s + (j - from) % per) % ring]; }
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
    q.last = R[d - 1][d - 1];
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
 * (1/e(0)), the reciprocal off the chain of dependent steps.  The product
 * with x(0), which the step before made last from its e, is taken last:
 * the chain from one e to the next is then a product, a difference, two
 * products and a difference at every d, and x(1..d-1), which come from the
 * step before's x alone, are summed beside it. */
template <int d, class T>
GIVQR_STEP void state_back(const T e[d + 2], const double *t, idx i, T x[d])
{
    T v = e[d + 1];
    for (int l = d - 1; l >= 0; l--) v = v - e[1 + l] * x[l];
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
 * carried, to the same bits, its kept rows as cyc says.  R is compared
 * with the one at step s, s moved on every `ring` steps; the rotations of
 * the last `ring` kept, in cyc.  The one-sided smooth: after each step i
 * >= d, the last point of the way back from there, the smooth of points
 * 0..i there to the bit, into last(i) and its leverage into lev(i), as
 * state_way_back puts them, where each is not null. */
template <int d, class T, bool cycle = false>
GIVQR_STEP void state_filter(idx n, const double *t, T pen, const T *w, const T *b, T ys, T *E, T &sq, T &block,
                             T R[d][d], T r[d], state_cycle<d, T> *cyc = nullptr, T *last = nullptr, T *lev = nullptr)
{
    constexpr int ring = cycle ? state_cycle<d, T>::ring : 1;
    const T one = T{} + 1.0;
    for (int i = 0; i < d; i++) {
        r[i] = T{};
        for (int j = 0; j < d; j++) R[i][j] = T{};
    }
    sq = T{}, block = T{};
    for (int j = 0; j < d; j++) state_square(j, ys * state_merge<d>(R, r, t, j, w ? root(w[j]) : one, b[j]), sq, block);
    state_turns<d, T> one_turn[1], *q = cycle ? cyc->q : one_turn;
    if (cycle) cyc->from = n;
    auto onesided = [&](idx i, T rdd) {     /* where the way back of points 0..i would start */
        if (last) last[i] = r[d - 1] / rdd;
        if (lev) lev[i] = leverage(w, i, 1.0 / (rdd * rdd));
    };
    T was[d][d];
    idx s = d;
    for (idx i = d; i < n; i++) {
        if (cycle && i > s && std::memcmp(was, R, sizeof was) == 0) {
            cyc->from = i, cyc->s = s, cyc->per = i - s;
            for (idx j = i; j < n; j++) {
                T e[d + 2];
                state_square(j, ys * state_turn_r<d>(cyc->at(j), b[j], r, e), sq, block);
                E[(d + 2) * i + (j - i)] = e[d + 1];
                onesided(j, cyc->at(j).last);
            }
            state_turns<d, T> end;
            for (idx j = 0; j < (n - i) % cyc->per; j++) state_turn<d>(R, t, i + j, pen, one, end);   /* R at the end */
            return;
        }
        if (cycle && i - s >= ring) s = i;
        if (cycle && i == s) std::memcpy(was, R, sizeof was);
        state_turn<d>(R, t, i, pen, w ? root(w[i]) : one, q[i % ring]);
        state_square(i, ys * state_turn_r<d>(q[i % ring], b[i], r, E + (d + 2) * i), sq, block);
        onesided(i, R[d - 1][d - 1]);
    }
}

/* The square-root information of x(i-1) from all the points, from S that
 * of x(i) (upper triangular, z last) and the row kept at step i.  In (e,
 * x(i-1)), x(i) = T^(-1)*(x(i-1) + g*e1*e), the rows [E(i,0) E(i,1..d); 0
 * S] become [c Z], Z = [E(i,1..d); S]*T^(-1) (T's inverse by its columns,
 * from the last) and c = g*Z(:,1) + E(i,0)*e1; e rotated out into the first
 * row, which then goes, and the rest back to triangular.  Rotations only,
 * so that no variance is ever a difference (the covariance carried back
 * instead loses everything where the spacings span decades). */
template <int d, class T>
GIVQR_STEP void state_back_info(const T e[d + 2], const double *t, idx i, T S[d][d])
{
    T Z[d + 1][d + 1];
    for (int l = 0; l < d; l++) Z[0][1 + l] = e[1 + l];
    for (int k = 0; k < d; k++)
        for (int l = 0; l < d; l++) Z[1 + k][1 + l] = S[k][l];
    for (int p = d - 2; p >= 0; p--) {
        const double h = spacing(t, i, d - 1 - p);
        for (int k = 0; k <= d; k++) Z[k][1 + p] = Z[k][1 + p] + h * Z[k][2 + p];
    }
    const double g = spacing(t, i, d) / factorial[d];
    for (int k = 0; k <= d; k++) Z[k][0] = g * Z[k][1];
    Z[0][0] = Z[0][0] + e[0];
    for (int k = 1; k <= d; k++) {
        T c, s;
        rotg(Z[0][0], Z[k][0], c, s);
        for (int l = 1; l <= d; l++) rot(Z[0][l], Z[k][l], c, s);
    }
    for (int p = 1; p <= d; p++)
        for (int k = p + 1; k <= d; k++) {
            T c, s;
            rotg(Z[p][p], Z[k][p], c, s);
            for (int l = p + 1; l <= d; l++) rot(Z[p][l], Z[k][l], c, s);
        }
    for (int k = 0; k < d; k++)
        for (int l = 0; l < d; l++) S[k][l] = k <= l ? Z[1 + k][1 + l] : T{};
}

/* var(z(j)) = |S'\H(j,:)'|^2 at the first d points, S that of x(d-1) */
template <int d, class T>
GIVQR_STEP T state_newton_var(const double *t, idx j, const T S[d][d])
{
    T u[d], v = T{};
    for (int k = 0; k < d; k++) {
        T a = T{} + (k < j ? 0.0 : newton<d>(t, j, k));
        for (int l = 0; l < k; l++) a = a - S[l][k] * u[l];
        u[k] = a / S[k][k];
        v = v + u[k] * u[k];
    }
    return v;
}

/* The way back: z from the kept rows E and R*x = r at the last point; with
 * lev, the leverages h(i) = w(i)*var(z(i)) too (w null: all 1; var(z(i))
 * itself where w(i) = 0, leverage), var(z(i))
 * = 1/S(d-1,d-1)^2, S the square-root information of x(i) from all the
 * points (R at the last point), carried back alongside.  In the filter's
 * cycle (cyc, rows from cyc->from on, which repeat every cyc->per) S may
 * come round as well, to the bit: once S after row i is S after row i+P,
 * P a multiple of per, so is it after every row down to cyc->from, and h
 * with it, so h is copied from P points on and S taken up again at
 * cyc->from.  S is compared with the one after row bs, bs moved on every
 * `ring` rows; those after the last `ring` rows are kept in cyc->back. */
template <int d, class T, bool lev = false>
GIVQR_STEP void state_way_back(idx n, const double *t, const T *E, const T R[d][d], const T r[d], T *z,
                               const T *w = nullptr, T *h = nullptr, state_cycle<d, T> *cyc = nullptr)
{
    constexpr int ring = state_cycle<d, T>::ring;
    T x[d], S[d][d] = {};
    state_solve<d>(R, r, x);
    auto put = [&](idx j, T v) { h[j] = leverage(w, j, v); };
    if (lev) {
        for (int k = 0; k < d; k++)
            for (int l = k; l < d; l++) S[k][l] = R[k][l];
        put(n - 1, 1.0 / (S[d - 1][d - 1] * S[d - 1][d - 1]));
    }
    z[n - 1] = x[d - 1];
    idx bs = n;
    bool settled = false;
    for (idx i = n - 1; i >= d; i--) {
        const T *e = E + (d + 2) * i;
        T row[d + 2];
        const bool cycled = cyc && i >= cyc->from;
        if (cycled) {                       /* the row the cycle's step kept */
            for (int l = 0; l <= d; l++) row[l] = cyc->at(i).e[l];
            row[d + 1] = E[(d + 2) * cyc->from + (i - cyc->from)];
            e = row;
        }
        state_back<d>(e, t, i, x);
        z[i - 1] = x[d - 1];
        if (!lev || (settled && cycled)) continue;
        state_back_info<d>(e, t, i, S);
        put(i - 1, 1.0 / (S[d - 1][d - 1] * S[d - 1][d - 1]));
        if (!cycled || i == cyc->from) continue;
        std::memcpy(cyc->back[i % ring], S, sizeof S);
        if (bs == n || bs - i >= ring) {
            bs = i;
        } else if ((bs - i) % cyc->per == 0 && std::memcmp(S, cyc->back[bs % ring], sizeof S) == 0) {
            const idx P = bs - i, from = cyc->from;
            for (idx j = i - 1; j >= from; j--) h[j - 1] = h[j - 1 + P];
            std::memcpy(S, cyc->back[(from + (i - from + P - 1) / P * P) % ring], sizeof S);  /* after row from */
            settled = true;
        }
    }
    for (idx j = 0; j + 1 < d; j++) {
        z[j] = state_newton_z<d>(t, j, x);
        if (lev) put(j, state_newton_var<d>(t, j, S));
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
    if (z && h)
        state_way_back<d, V, true>(n, t, reinterpret_cast<const V *>(E), R, r, reinterpret_cast<V *>(z),
                                   reinterpret_cast<const V *>(w), reinterpret_cast<V *>(h));
    else if (z)
        state_way_back<d>(n, t, reinterpret_cast<const V *>(E), R, r, reinterpret_cast<V *>(z));
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
