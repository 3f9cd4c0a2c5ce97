/* series: one series smoothed, two-sided or one-sided, with its info */
#include "fp.h"
#include "criteria.h"
#include "givsmooth.h"
#include "spline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace givqr {

namespace {

/* Runs f(i0, i1) over 0..m in parts, pausing between them; false where stopped. */
template <class F>
bool in_parts(idx m, const interrupts &c, F f)
{
    for (idx i0 = 0; i0 < m; i0 += part_steps) {
        f(i0, std::min(m, i0 + part_steps));
        if (!c.go()) return false;
    }
    return true;
}

/* Q' on b into x as want says: the factorization for sigma fused with it,
 * its table kept in w, or the replay of p.factored. */
bool forward(const problem &p, double sigma, forward_want want, const double *b, double *x, double *h,
             forward_state &st, workspace &w, const interrupts &c)
{
    const idx n = p.n, m = n - p.S.d;
    if (p.factored)
        return in_parts(m, c, [&](idx i0, idx i1) { table_forward(n, *p.factored, b, x, h, want, i0, i1, st); });
    st.steady = std::max(p.g ? p.g->steady : 0, p.S.low_steady);
    w.reserve(m, workspace::width(p.S));
    const double *rho = p.g ? p.g->rho : nullptr;
    return in_parts(m, c, [&](idx i0, idx i1) { smooth_forward(n, p.S, sigma, rho, b, x, h, want, i0, i1, st, w.t); });
}

/* log |det R| from the forward sums, without the factors 2^missing_log2 of
 * the missing points' rows (n less the points with weight). */
double log_det(const problem &p, const forward_sums &k)
{
    const long long missing = p.g ? (long long)(p.n - p.g->observed) : 0;
    return k.log_det(missing_log2 * missing);
}

/* z at the weak points s (ns of them) from the others: the spline's, at
 * the knots without weight, from those with it; else smooth_fill. */
void fill(const problem &p, double sigma, const idx *s, idx ns, double *z)
{
    weights &g = *p.g;
    if (!p.S.low) smooth_fill(p.n, p.S, p.S.t, sigma, g.w, p.y, s, ns, z, g.work.data(), g.ends.data());
    else if (std::any_of(s, s + ns, [&](idx i) { return g.w[i] == 0.0; })) {
        if (g.work.size() < std::size_t(3 * p.n)) g.work.resize(3 * p.n);
        spline_fill(p.n, p.S.t, g.w, z, g.work.data());
    }
}

} // namespace

void unweigh(const problem &p, double sigma, double *x)
{
    weights &g = *p.g;
    for (idx i = 0; i < p.n; i++) x[i] = g.rho[i] * x[i];
    fill(p, sigma, g.weak.data(), idx(g.weak.size()), x);
}

namespace {

/* What the sweep's log |det R| holds beyond the state form's: its missing
 * points' rows are 2^(256+a), of which log_det takes out 2^256 alone. */
double missing_units(const problem &p)
{
    return p.g ? double(p.n - p.g->observed) * double(p.u.a) * 0.6931471805599453 : 0.0;
}

/* The state form's leverages h as the sweep's: at a point without weight,
 * var(z) there (leverage, state_steps.h) times the weight of the sweep's missing
 * row, 1/rho^2 (a power of 2), from which report's standard error takes
 * var(z) back to the bit. */
void as_swept(const problem &p, double *h)
{
    if (p.g)
        for (idx i = 0; i < p.n; i++)
            if (p.g->w[i] == 0.0) h[i] = h[i] / p.g->rho[i] / p.g->rho[i];
}

} // namespace

bool smooth(const problem &p, double sigma, want what, double *x, double *h, sums &f, workspace &w,
            const interrupts &c)
{
    const idx n = p.n, m = n - p.S.d;
    const double *b = p.g ? p.g->b : p.y, *wt = p.g ? p.g->w : nullptr, ys = std::ldexp(1.0, -p.u.c);
    if (by_state(p.S, sigma) && (what <= want_z || state_sums_at(p.S, sigma))) {
        /* all the state form's, the leverages in E where h is not asked for */
        double *E = w.E.reserve((p.S.d + 2) * n + (what == want_sums ? n : 0));
        if (what == want_sums) h = E + (p.S.d + 2) * n;
        if (what < want_sums) h = nullptr;
        const bool logdet = what != want_z;
        state_smooth(n, p.S, sigma, wt, b, what <= want_squares ? nullptr : x, E, ys, logdet ? &f.logdet : nullptr,
                     logdet ? &f.squares : nullptr, h);
        if (logdet) f.logdet = f.logdet + missing_units(p);
        if (what == want_logdet) f.squares = 0.0;
        if (what >= want_sums) {
            const sums s = state_sums(n, wt, b, ys, x, h, 1, 0);
            f.rss = s.rss, f.edf = s.edf, f.rest = s.rest, f.loo = s.loo;
        }
        if (what == want_leverages) as_swept(p, h);
        return c.go();
    }
    forward_state st;
    if (what == want_logdet) {
        table none;
        if (!in_parts(m, c, [&](idx i0, idx i1) {
                smooth_forward(n, p.S, sigma, p.g ? p.g->rho : nullptr, nullptr, nullptr, nullptr, forward_logdet,
                               i0, i1, st, none);
            }))
            return false;
        f.squares = st.k.squares();
        f.logdet = log_det(p, st.k);
        return true;
    }
    st.ys = ys;
    if (!forward(p, sigma, what == want_z ? forward_c2 : forward_sums_c2, b, x, nullptr, st, w, c)) return false;
    if (what != want_squares) {
        backward_state bs;
        bs.sums = what != want_z;
        bs.ys = st.ys;
        bs.y = b;
        bs.w = p.g ? p.g->w : nullptr;
        bs.h = what == want_leverages ? h : nullptr;
        const table &t = p.factored ? *p.factored : w.t;
        if (!in_parts(m, c, [&](idx k0, idx k1) { smooth_backward(n, t, x, k0, k1, bs); })) return false;
        if (bs.sums) f = bs.s.total;
    }
    if (what != want_z) {
        f.squares = st.k.squares();
        f.logdet = log_det(p, st.k);
    }
    if (p.g && what != want_squares) unweigh(p, sigma, x);
    if (by_state(p.S, sigma) && what == want_leverages) {  /* the info: z, its squares and log det the state form's */
        state_smooth(n, p.S, sigma, wt, b, x, w.E.reserve((p.S.d + 2) * n), ys, &f.logdet, &f.squares);
        f.logdet = f.logdet + missing_units(p);
    }
    return c.go();
}

double sums_lane_doubles(idx n, int d)
{
    return double(d * (d + 1) / 2 + 2 * d + 8) * double(n);
}

int lanes_for_sums(const problem &p, bool reml)
{
    if (by_state(p.S)) return lanes_within(double(p.S.d + (reml ? 4 : 6)) * double(p.n));
    return p.S.low || p.factored ? 1 : lanes_within(sums_lane_doubles(p.n, p.S.d));
}

namespace {

/* The step from which smooth_forward compares p's states (m: never), for
 * what it makes (want_logdet: it keeps none, so compares none). */
idx compared_from(const problem &p, want what)
{
    const idx m = p.n - p.S.d;
    return what == want_logdet || p.S.D ? m : std::max(p.g ? p.g->steady : 0, p.S.low_steady);
}

/* What the lanes made (sums_lanes) for lanes l < count, K of them, as the
 * sums smooth (*ps[l], ..., what[l], ...) gives, into f[l]: squares and log
 * |det R| from the forward pass, with the factors of a cycle of period 1 or
 * 2 counted apart where the lane's states from step `from` on (kept in Ls
 * from step ls on) repeat the one a step or two before, as smooth_forward
 * counts them (a longer period, which it finds first, has none of these);
 * the backward pass's totals t from want_sums on.  The lanes' products of
 * R(i,i) advance side by side, each in its own order. */
void lane_sums(const problem *const *ps, const want *what, int count, int K, const double *sq, const double *block,
               const double *Rd, const double *Ls, idx ls, const double *t, sums *f)
{
    const int d = ps[0]->S.d, N = d * (d + 1) / 2;
    const idx m = ps[0]->n - d;
    forward_sums k[8];
    idx s[8], per[8], common = m;
    for (int l = 0; l < count; l++) {
        auto same = [&](idx i, idx j) {         /* the states at the start of steps i and j, as bits */
            for (int q = 0; q < N; q++)
                if (std::memcmp(&Ls[K * (N * (i - ls) + q) + l], &Ls[K * (N * (j - ls) + q) + l], sizeof(double)))
                    return false;
            return true;
        };
        if (what[l] != want_logdet) {   /* that keeps no replay */
            k[l].sq = sq[l];
            k[l].block = block[l];
            k[l].count = m;
        }
        const idx from = compared_from(*ps[l], what[l]);
        s[l] = m, per[l] = 0;
        for (idx i = from + 1; i < m - d && per[l] == 0; i++) {
            if (same(i, i - 1)) per[l] = 1;
            else if (i - 2 >= from && same(i, i - 2)) per[l] = 2;
            if (per[l]) s[l] = i;
        }
        common = std::min(common, s[l]);
    }
    for (idx i = 0; i < common; i++)
        for (int l = 0; l < count; l++) k[l].factor(Rd[K * i + l]);
    for (int l = 0; l < count; l++) {
        for (idx i = common; i < s[l]; i++) k[l].factor(Rd[K * i + l]);
        if (per[l]) {
            const idx steps = m - d - s[l], odd = per[l] == 1 ? 0 : steps / 2;
            k[l].odd = odd;
            k[l].even = steps - odd;
            k[l].r_even = Rd[K * (s[l] - per[l]) + l];
            k[l].r_odd = Rd[K * (s[l] - 1) + l];
            for (idx i = m - d; i < m; i++) k[l].factor(Rd[K * i + l]);
        }
        f[l] = {0.0, 0.0, 0.0, 0.0, k[l].squares(), log_det(*ps[l], k[l])};
        if (what[l] >= want_sums) f[l].rss = t[4 * l], f[l].edf = t[4 * l + 1], f[l].rest = t[4 * l + 2], f[l].loo = t[4 * l + 3];
    }
}

/* Room in w for the lanes of K series of n points (order d), the states
 * kept from step ls on: Rd, Ls, T, x, rho, b, w and the leverages h
 * (8*K-aligned, lane-major); sums_lane_doubles (n, d) a lane at most. */
struct lane_room {
    double *Rd, *Ls, *T, *x, *rho, *b, *w, *h;
    lane_room(workspace &ws, idx n, int d, int K, idx ls)
    {
        const idx m = n - d, N = d * (d + 1) / 2;
        const std::size_t a = 8 * std::size_t(K);
        double *start = ws.lanes.reserve(idx(K) * (m + N * (m - ls) + (2 * d + 2) * m + 5 * n) + 8);
        Rd = reinterpret_cast<double *>((reinterpret_cast<std::uintptr_t>(start) + a - 1) / a * a);
        Ls = Rd + K * m;
        T = Ls + K * N * (m - ls);
        x = T + K * (2 * d + 2) * m;
        rho = x + K * n;
        b = rho + K * n;
        w = b + K * n;
        h = w + K * n;
    }
};

/* sums_of_many's values, all through the sweep's lanes */
bool sums_by_sweep(const problem *const *ps, const want *what, const double *sigma, int count, int K, sums *f,
                   workspace &w, const interrupts &c, double *const *zs, double *const *hs)
{
    const problem &p0 = *ps[0];
    const idx n = p0.n;
    idx ls = n;
    bool backward = false, leverages = false;
    for (int l = 0; l < count; l++) {
        ls = std::min(ls, compared_from(*ps[l], what[l]));
        backward = backward || what[l] >= want_sums;
        leverages = leverages || what[l] == want_leverages;
    }
    const lane_room r(w, n, p0.S.d, K, ls);
    double sq[8], block[8], t[32], ys[8], s[8];
    const weights *g[8];
    for (int l = 0; l < K; l++) {       /* a lane left idle: the first series' */
        const problem &p = *ps[l < count ? l : 0];
        g[l] = p.g;
        ys[l] = std::ldexp(1.0, -p.u.c);
        s[l] = sigma[l < count ? l : 0];
    }
    for (idx i = 0; i < n; i++)
        for (int l = 0; l < K; l++) {
            r.rho[K * i + l] = g[l] ? g[l]->rho[i] : 1.0;
            r.b[K * i + l] = g[l] ? g[l]->b[i] : ps[l < count ? l : 0]->y[i];
            if (backward) r.w[K * i + l] = g[l] ? g[l]->w[i] : 1.0;     /* the backward pass's alone */
        }
    sums_lanes(K, n, p0.S, s, r.rho, r.b, r.w, ys, sq, block, r.Rd, r.Ls, ls, backward ? r.T : nullptr, r.x, t,
               leverages ? r.h : nullptr);
    lane_sums(ps, what, count, K, sq, block, r.Rd, r.Ls, ls, t, f);
    for (int l = 0; l < count; l++)     /* z and h as smooth gives them */
        if (what[l] == want_leverages) {
            for (idx i = 0; i < n; i++) zs[l][i] = r.x[K * i + l], hs[l][i] = r.h[K * i + l];
            if (ps[l]->g) unweigh(*ps[l], sigma[l], zs[l]);
        }
    return c.go();
}

} // namespace

bool sums_of_many(const problem *const *ps, const want *what, const double *sigma, int count, int K, sums *f,
                  workspace &w, const interrupts &c, double *const *zs, double *const *hs)
{
    bool any = false;
    for (int l = 0; l < count; l++) any = any || by_state(ps[l]->S, sigma[l]);
    if (!any && count > 1 && K > 1) return sums_by_sweep(ps, what, sigma, count, K, f, w, c, zs, hs);
    /* as smooth makes them: the state form's in its lanes, or where
     * state_sums_at says not, every sum the sweep's (in its own lanes);
     * the leverages there with the state form's z, alone */
    auto alone = [&](int l) {
        return count == 1 || K == 1 ||
               (what[l] == want_leverages && by_state(ps[l]->S, sigma[l]) && !state_sums_at(ps[l]->S, sigma[l]));
    };
    auto single = [&](int l) {          /* series l by smooth itself */
        const bool lev = what[l] == want_leverages;
        return smooth(*ps[l], sigma[l], what[l], lev ? zs[l] : w.lanes.reserve(ps[l]->n), lev ? hs[l] : nullptr, f[l],
                      w, c);
    };
    const problem *rest[8];
    want rw[8];
    double rs[8], *rz[8], *rh[8];
    int at[8], r = 0;
    const problem *mine[8];
    want mw[8];
    double ms[8];
    int to[8], q = 0;
    bool all = false;
    for (int l = 0; l < count; l++) {
        const problem &p = *ps[l];
        const bool state = by_state(p.S, sigma[l]) && (what[l] < want_sums || state_sums_at(p.S, sigma[l]));
        if (alone(l)) {
            if (!single(l)) return false;
            continue;
        }
        all = all || (state && what[l] >= want_sums);
        if (state) mine[q] = ps[l], mw[q] = what[l], ms[q] = sigma[l], to[q++] = l;
        else rest[r] = ps[l], rw[r] = what[l], rs[r] = sigma[l], rz[r] = zs ? zs[l] : nullptr,
             rh[r] = hs ? hs[l] : nullptr, at[r++] = l;
    }
    sums g[8];
    if (r == 1 && !single(at[0])) return false;
    if (r > 1 && !sums_by_sweep(rest, rw, rs, r, K, g, w, c, rz, rh)) return false;
    for (int k = 0; r > 1 && k < r; k++) f[at[k]] = g[k];
    if (q == 0) return true;
    if (q == 1) return single(to[0]);
    const idx n = ps[0]->n;
    const int d = ps[0]->S.d;
    const std::size_t a = 8 * std::size_t(K);
    double *start = w.lanes.reserve(idx(K) * (d + (all ? 6 : 4)) * n + 8);
    double *lw = reinterpret_cast<double *>((reinterpret_cast<std::uintptr_t>(start) + a - 1) / a * a);
    double *lb = lw + K * n, *E = lb + K * n, *z = all ? E + K * (d + 2) * n : nullptr, *h = all ? z + K * n : nullptr;
    double s[8], ys[8], sq[8], Rd[8 * d_max];
    for (int l = 0; l < K; l++) {       /* a lane left idle: the first series' */
        const problem &p = *mine[l < q ? l : 0];
        for (idx i = 0; i < n; i++) {
            lw[K * i + l] = p.g ? p.g->w[i] : 1.0;
            lb[K * i + l] = p.g ? p.g->b[i] : p.y[i];
        }
        ys[l] = std::ldexp(1.0, -p.u.c);
        s[l] = ms[l < q ? l : 0];
    }
    const double *t = state_times(ps[0]->S, s, K);
    state_lanes(K, n, d, t, s, lw, lb, ys, z, E, sq, Rd, h);
    for (int l = 0; l < q; l++) {
        const problem &p = *mine[l];
        sums &fl = f[to[l]];
        fl.squares = mw[l] == want_logdet ? 0.0 : sq[l];
        fl.logdet = state_log_det(n, p.S, ms[l], p.g ? p.g->w : nullptr, E + l, (d + 2) * K, Rd + d * l) +
                    missing_units(p);
        if (mw[l] < want_sums) continue;
        const sums v = state_sums(n, p.g ? lw : nullptr, lb, ys[l], z, h, K, l);
        fl.rss = v.rss, fl.edf = v.edf, fl.rest = v.rest, fl.loo = v.loo;
        if (mw[l] == want_leverages) {
            for (idx i = 0; i < n; i++) zs[to[l]][i] = z[K * i + l], hs[to[l]][i] = h[K * i + l];
            as_swept(p, hs[to[l]]);
        }
    }
    return c.go();
}

bool smooth_onesided(const problem &p, double sigma, double *z, double *h, workspace &w, const interrupts &c)
{
    const weights *g = p.g;
    if (by_state(p.S, sigma)) {         /* where the two-sided smooth is the state form's, its last points */
        state_onesided(p.n, p.S, sigma, g ? g->w : nullptr, g ? g->b : p.y, z, h, w.E.reserve((p.S.d + 2) * p.n));
        if (h) as_swept(p, h);
        return c.go();
    }
    forward_state st;
    if (!forward(p, sigma, forward_onesided, g ? g->b : p.y, z, h, st, w, c)) return false;
    if (g)
        for (idx i = 0; i < p.n; i++) z[i] = g->rho[i] * z[i];
    return true;
}

/* s*sqrt(h./w) the standard errors (s^2 the residuals' mean square over the
 * degrees of freedom left), and the leverages 0 where w is 0; each sum of
 * the scaled series brought back to the series' own units: the squares by
 * 4^(a+c), log |det R| less m*(a+bd)*log(2) (R is 2^(a+bd) times its own). */
void report(const problem &p, idx j, double shown, const sums &f, const smooth_out &o)
{
    const idx n = p.n;
    const weights *g = p.g;
    const double no = g ? double(g->observed) : double(n), d = double(p.S.d);
    const int two = 2 * (p.u.a + p.u.c);
    o.sigma[j] = shown;
    o.lambda[j] = 1.0 / (shown * shown);
    o.edf[j] = f.edf;
    o.gcv[j] = std::ldexp(criterion_of(gcv, f, no, p.S.d), two);
    o.loocv[j] = std::ldexp(criterion_of(loocv, f, no, p.S.d), two);
    /* R's power of 2: a + bd, the spline's a + b (its sigma's a + 3b/2, bd) */
    const int rs = p.u.a + (p.S.low ? 2 * p.u.bd / 3 : p.u.bd);
    const double units = (no - d) * double(two) - 2.0 * double(n - p.S.d) * double(rs);
    if (o.reml)     /* the spline's less log det of its R = L*L' (spline.h) */
        o.reml[j] = criterion_of(reml, f, no, p.S.d) + (units == 0.0 ? 0.0 : units * 0.6931471805599453) - p.S.logdet_low;
    const double s = std::ldexp(std::sqrt(f.rss / f.rest), p.u.c);
    double *lev = o.leverage + j * n, *se = o.stderror + j * n;
    for (idx i = 0; i < n; i++) {
        se[i] = s * ((g ? g->rho[i] : 1.0) * std::sqrt(lev[i]));
        if (g && g->w[i] == 0.0) lev[i] = 0.0;
    }
}

namespace {

/* No penalty that moves z (sigma = Inf, or no more points with weight than
 * d, which a polynomial of degree d-1 passes through): z = y where it has
 * weight, H = I there, the gaps filled by D'*D*z = 0 (the limit), no
 * residual left for the criteria; one-sided, each prefix's last point, as
 * far as it is known.  The info of series j where o asks, at sigma shown. */
void interpolate(const smooth_call &c, const problem &p, idx j, double shown, double *z, double *h,
                 const smooth_out &o)
{
    const idx n = p.n;
    std::memcpy(z, p.y, n * sizeof(double));
    if (p.g) {
        weights &g = *p.g;
        auto &s = g.weak;
        s.erase(std::remove_if(s.begin(), s.end(), [&](idx i) { return g.w[i] > 0.0; }), s.end());
        fill(p, 0.0, s.data(), idx(s.size()), z);
    }
    if (o.info) {
        sums f = {0.0, p.g ? double(p.g->observed) : double(n), 0.0, std::nan(""), 0.0, std::nan("")};
        std::fill(o.leverage + j * n, o.leverage + (j + 1) * n, 1.0);
        report(p, j, shown, f, o);
    }
    if (c.onesided)         /* before the d-th point with weight nothing is known where y is not */
        for (idx i = 0, seen = 0; i < n && seen < p.S.d; i++) {
            const bool has = !p.g || p.g->w[i] > 0.0;
            seen += has;
            if (!has) z[i] = std::nan("");
            if (!has && h) h[i] = std::nan("");
        }
}

} // namespace

bool series(const smooth_call &c, const problem &p, idx j, double sigma, const smooth_out &o, double *h,
            workspace &w, const interrupts &ic)
{
    const idx n = p.n;
    double *z = o.z + j * n;
    const double shown = c.automatic ? std::ldexp(sigma, -(p.u.a + p.u.bd)) : c.sigma;
    sums f = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    if (std::isinf(sigma) || (p.g ? p.g->observed : n) <= p.S.d) {
        interpolate(c, p, j, shown, z, h, o);
        return true;
    }
    if (!c.onesided) {
        if (!smooth(p, sigma, h ? want_leverages : want_z, z, h, f, w, ic)) return false;
        if (o.info) report(p, j, shown, f, o);
        return true;
    }
    /* one-sided: the criteria those of the two-sided smooth at sigma, made
     * in z first; the leverages those of each point as its prefix's last */
    if (o.info && !smooth(p, sigma, want_sums, z, nullptr, f, w, ic)) return false;
    if (!smooth_onesided(p, sigma, z, h, w, ic)) return false;
    /* up to the d-th point with weight, z = y where there is weight (H = 1)
     * and nothing is known elsewhere */
    for (idx i = 0, seen = 0; i < n && (i < p.S.d || seen < p.S.d); i++) {
        const bool has = !p.g || p.g->w[i] > 0.0;
        seen += has;
        z[i] = has ? p.y[i] : std::nan("");
        if (h) h[i] = has ? 1.0 : std::nan("");
    }
    if (o.info) report(p, j, shown, f, o);
    return true;
}

bool weighted_series(const smooth_call &c, const stencil &S, idx j, const double *y, const double *w,
                     const smooth_out &o, weighted_work &ww, workspace &ws, const interrupts &ic, scales u)
{
    problem p = {c.n, S, &ww.g, y + j * c.n, nullptr, u};
    if (c.robust) {
        problem *ps = &p;
        return robust_many(c, &ps, &j, &w, 1, 1, o, &ww, ws, ic);
    }
    weigh(c.n, S.d, p.y, w, nullptr, ww.g);
    p.u.a = ww.g.a;
    p.u.c = value_scale(c.n, p.y, ww.g.w);
    const double sigma = pick(c, p, j, o.z + j * c.n, ws, ic, o);
    return !ic.stop->load() && series(c, p, j, sigma, o, o.info ? o.leverage + j * c.n : nullptr, ws, ic);
}

double pick(const smooth_call &c, const problem &p, idx j, double *z, workspace &w, const interrupts &ic,
            const smooth_out &o)
{
    if (!c.automatic) {
        if (o.range_end) o.range_end[j] = std::nan("");
        return scaled_sigma(p, c.sigma);
    }
    return picked(choose(p, c.criterion, c.edf, z, w, ic), j, o);
}

double picked(const choice &ch, idx j, const smooth_out &o)
{
    if (o.missed) o.missed[j] = ch.missed;
    if (o.range_end) o.range_end[j] = std::isnan(ch.sigma) ? std::nan("") : double(ch.end);
    return ch.sigma;
}

} // namespace givqr
