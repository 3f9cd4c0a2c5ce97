/* givsmooth: k series smoothed at once, spread over threads */
#include "fp.h"
#include "givsmooth.h"
#include "spline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace givqr {

const info_field info_fields[robust_info_count] = {
    {"sigma", false, &smooth_out::sigma},       {"lambda", false, &smooth_out::lambda},
    {"edf", false, &smooth_out::edf},           {"gcv", false, &smooth_out::gcv},
    {"loocv", false, &smooth_out::loocv},       {"reml", false, &smooth_out::reml},
    {"rangeEnd", false, &smooth_out::range_end}, {"leverage", true, &smooth_out::leverage},
    {"stderr", true, &smooth_out::stderror},    {"weights", true, &smooth_out::weights},
    {"iterations", false, &smooth_out::iterations},
};

namespace {

/* The lanes series of c are smoothed in, K at once (lane_width), or 1: only
 * where each series takes the sweep and its replay alone (a sigma given,
 * two-sided, no info), in memory of (2d+4)*n*K that stays small. */
int lanes_for(const smooth_call &c, bool info)
{
    const bool plain = !c.automatic && !c.robust && !c.onesided && !c.spline && !info && !std::isinf(c.sigma);
    if (!plain || c.k < 2) return 1;
    return lanes_within(double(2 * c.d + 4) * double(c.n));
}

/* The lanes' memory for K lanes: rho, x and T, aligned (the state form's
 * o, oy and E there), and an idle lane's rho and b. */
idx lanes_part(idx n, int d)
{
    return std::max(2 * n + (2 * d + 2) * (n - d), (d + 4) * n);    /* w, b and E */
}

idx lane_doubles(idx n, int d, int K)
{
    return idx(K) * lanes_part(n, d) + 8;
}

/* The lanes' rho (the state form's w), x (b, then z) and T for K series,
 * each on a boundary of 8*K bytes, in m. */
struct lane_arrays {
    double *rho = nullptr, *x = nullptr, *T = nullptr;
    void reserve(memory &m, idx n, int d, int K)
    {
        double *b = m.reserve(lane_doubles(n, d, K));
        const std::size_t a = 8 * std::size_t(K);
        rho = reinterpret_cast<double *>((reinterpret_cast<std::uintptr_t>(b) + a - 1) / a * a);
        x = rho + K * n;
        T = x + K * n;
    }
};

} // namespace

double smooth_work_bytes(const smooth_call &c, const smooth_args &g, const double *y, int threads)
{
    const idx n = c.n;
    const bool weighted = g.weights || g.times || c.spline || c.robust ||
                          std::any_of(y, y + n * c.k, [](double v) { return std::isnan(v); });
    double each = double(workspace::doubles(n, 2 * c.d + (c.spline ? 4 : 2)));
    if (weighted) each += double(weighted_work::doubles(n, c.d)) + 6.0 * double(n);   /* and merged ties */
    if ((c.d >= 3 || g.times) && !c.spline) each += double(c.d + 3) * double(n);      /* state_smooth's E, h */
    const int K = lanes_for(c, false);
    if (K > 1) each += double(lane_doubles(n, c.d, K)) + K * 3.0 * double(n);          /* and K series' weights */
    if (c.robust && !c.spline && c.k > 1) {         /* robust_many's: KR series' weighted work and lanes */
        const int KR = lanes_within(sums_lane_doubles(n, c.d));
        if (KR > 1) each += double(KR - 1) * double(weighted_work::doubles(n, c.d)) + KR * sums_lane_doubles(n, c.d);
    }
    if (c.automatic && !c.spline) {         /* the lanes of the scan or of the choices (lanes_for_sums, KC) */
        const double lane = sums_lane_doubles(n, c.d), state = double(c.d + 6) * double(n);
        const int KS = lanes_within(lane), KT = lanes_within(state);
        each += std::max(KS > 1 ? lane * KS : 0.0, KT > 1 ? state * KT : 0.0);
    }
    return 8.0 * (each * double(threads) + (g.times || c.spline ? double(c.d + 2 + 2 * c.spline) * double(n) : 0.0));
}

bool edf_warning(const smooth_call &c, const smooth_out &out, char *buf, std::size_t size)
{
    for (idx j = 0; out.missed && j < c.k; j++)
        if (!std::isnan(out.missed[j].edf)) {
            std::snprintf(buf, size, "EDF %.17g is not reached to a relative 1e-8 for series %ld: %s; the nearest edf is %.17g.",
                          c.edf, long(j + 1),
                          !out.missed[j].beyond ? "rounding allows no nearer"
                          : c.spline ? "it lies beyond the range searched, edf from 2.01 to the points with weight less 0.01"
                                     : "it lies beyond the range searched, edf from Order + 0.01 to the points with weight less 0.01",
                          out.missed[j].edf);
            return true;
        }
    return false;
}

bool unobserved_warning(const smooth_call &c, const smooth_out &out, char *buf, std::size_t size)
{
    const idx k = c.k;
    idx count = 0;
    for (idx j = 0; out.unobserved && j < k; j++) count += out.unobserved[j];
    if (count == 0) return false;
    std::string list;
    idx shown = 0;
    for (idx j = 0; j < k && shown < 5; j++)
        if (out.unobserved[j]) {
            const bool lastone = ++shown == count;
            list += (shown == 1 ? "" : lastone ? " and " : ", ") + std::to_string(j + 1);
        }
    if (shown < count) list += " and " + std::to_string(count - shown) + " more";
    std::snprintf(buf, size,
                  c.spline ? "column%s %s of y cannot be smoothed: fewer than 3 points with weight at distinct x; "
                             "the spline and the info are NaN there."
                           : "column%s %s of y cannot be smoothed: too few points with weight at distinct times "
                             "(Order, or Order + 1 where sigma is chosen); z and the info are NaN there.",
                  count > 1 ? "s" : "", list.c_str());
    return true;
}

namespace {

/* Joins the threads it holds when it goes, stopping them first where the
 * calling thread leaves early (an interrupt). */
struct threads_joined {
    std::vector<std::thread> threads;
    std::atomic<bool> *stop;
    ~threads_joined()
    {
        if (std::uncaught_exceptions() > 0) stop->store(true);
        for (std::thread &t : threads) t.join();
    }
};

/* The outputs of series j that cannot be smoothed: NaN, and the column
 * marked. */
void unobserved(const smooth_call &c, idx j, const smooth_out &out)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const idx n = c.n;
    std::fill(out.z + j * n, out.z + (j + 1) * n, nan);
    if (out.unobserved) out.unobserved[j] = 1;
    if (out.missed) out.missed[j] = {nan, false};
    if (!out.info) return;
    for (int f = 0; f < robust_info_count; f++) {
        double *to = out.*(info_fields[f].to);
        if (to && info_fields[f].per_point) std::fill(to + j * n, to + (j + 1) * n, nan);
        else if (to) to[j] = nan;
    }
}

/* Points at the same time, merged: the distinct times, each a run of points
 * from at(k) to at(k+1)-1. */
struct merged {
    std::vector<idx> at;

    /* series y (weights w, or null) onto the distinct times: the weights
     * summed over the points with weight, y their weighted mean (NaN where
     * none has weight) */
    void merge(const double *y, const double *w, double *ym, double *wm) const
    {
        for (idx k = 0; k + 1 < idx(at.size()); k++) {
            double sw = 0.0, swy = 0.0;
            for (idx i = at[k]; i < at[k + 1]; i++) {
                const double wi = std::isnan(y[i]) ? 0.0 : w ? w[i] : 1.0;
                if (wi > 0.0) sw += wi, swy += wi * y[i];
            }
            wm[k] = sw;
            ym[k] = sw > 0.0 ? swy / sw : std::numeric_limits<double>::quiet_NaN();
        }
    }

    /* what the merged series gave, back at every point of series j: each
     * point's z and standard error its time's, its leverage its share of
     * its time's in proportion to its weight, its robust weight its own
     * times its time's bisquare */
    void expand(idx n, idx j, const double *y, const double *w, const double *wm, const smooth_out &m,
                const smooth_out &out) const
    {
        for (idx k = 0; k + 1 < idx(at.size()); k++)
            for (idx i = at[k]; i < at[k + 1]; i++) {
                const double wi = std::isnan(y[i]) ? 0.0 : w ? w[i] : 1.0, share = wi > 0.0 ? wi / wm[k] : 0.0;
                out.z[j * n + i] = m.z[k];
                if (!out.info) continue;
                out.leverage[j * n + i] = m.leverage[k] * share;
                out.stderror[j * n + i] = m.stderror[k];
                if (out.weights) out.weights[j * n + i] = wm[k] > 0.0 ? wi * (m.weights[k] / wm[k]) : 0.0;
            }
    }
};

} // namespace

smooth_result givsmooth(const smooth_call &c, const double *y, const double *w, const double *t,
                        const smooth_out &out, int threads, void (*between)())
{
    std::atomic<bool> stop(false), lacked_memory(false);
    std::atomic<idx> next(0);
    const interrupts calling = {between, &stop}, other = {nullptr, &stop};
    const idx n = c.n;
    const int d = c.d;
    auto gaps = [&](idx j) { return std::any_of(y + j * n, y + (j + 1) * n, [](double v) { return std::isnan(v); }); };
    auto weights_of = [&](idx j) { return !w ? nullptr : c.shared ? w : w + j * n; };
    auto leverage_of = [&](idx j) { return out.info ? out.leverage + j * n : nullptr; };
    const idx need = c.spline ? 3 : c.automatic ? d + 1 : d;
    workspace first;
    weighted_work firstw;
    const table *shared = nullptr;
    memory rows, times, low;    /* D's rows and the distinct times, at sample times; the spline's L */
    int b = 0;                  /* the times brought to unit scale by 2^-b */
    merged ties;
    idx nt = n;                 /* the distinct times */
    scales base;
    stencil S;
    try {
        /* the distinct times, brought to a mean spacing in [1, 2) by a
         * power of 2: D's rows scale by a power of 2 with them, exactly */
        const double *ts = nullptr;
        if (t) {
            nt = distinct_times(n, t);
            double *tt = times.reserve(nt);
            for (idx i = 0, k = 0; i < n; i++)
                if (i == 0 || t[i] != t[i - 1]) {
                    if (nt < n) ties.at.push_back(i);
                    tt[k++] = t[i];
                }
            if (nt < n) ties.at.push_back(n);
            if (nt > 1) {
                int e;
                std::frexp((tt[nt - 1] - tt[0]) / double(nt - 1), &e);
                b = e - 1;
                if (c.spline && b % 2 != 0) b -= 1;     /* even: L's entries scale by 2^(-b/2) */
                base.bd = c.spline ? 3 * (b / 2) : b * d;
                for (idx k = 0; k < nt; k++) tt[k] = std::ldexp(tt[k], -b);
            }
            ts = tt;
        }
        if (nt < (c.spline ? 3 : d)) {      /* no column has enough times */
            for (idx j = 0; j < c.k; j++) unobserved(c, j, out);
            return smoothed;
        }
        if (c.spline) {
            S = make_spline(nt, ts, rows.reserve(3 * (nt - 2)), low.reserve(2 * (nt - 2)));
            S.logdet_low += double(nt - 2) * double(b) * 0.6931471805599453;    /* R's, at the times as given */
        } else {
            S = make_stencil(nt, d, ts, ts ? rows.reserve((d + 1) * (nt - d)) : nullptr);
        }
        if (!(S.norm <= std::numeric_limits<double>::max())) return times_too_close;
        /* a sigma given, the same weights for all, enough of them: series 0
         * factors, the others replay its table */
        bool same = !c.automatic && c.k > 0 && !std::isinf(c.sigma) && !c.robust && (!w || c.shared) && nt == n &&
                    !by_state(S);
        for (idx j = 0; j < c.k && same; j++) same = !gaps(j);
        if (same) {
            weights *g = w ? &firstw.g : nullptr;
            if (g) weigh(n, d, y, w, nullptr, *g);
            const int a = g ? g->a : 0;
            if ((g ? g->observed : n) > d && !by_state(S, std::ldexp(c.sigma, a + base.bd))) {
                problem p = {n, S, g, y, nullptr, base};
                p.u.a = a;
                base.a = p.u.a;
                p.u.c = value_scale(n, y, g ? g->w : nullptr);
                series(c, p, 0, pick(c, p, 0, out.z, first, calling, out), out, leverage_of(0), first, calling);
                shared = &first.t;
                next = 1;
            }
        }
    } catch (const std::bad_alloc &) {
        return short_of_memory;
    }
    /* where lanes serve (lanes_for), the series whose weights vary go K at
     * once: each weighed, then all through the sweep and back in the lanes,
     * then each unweighed; a series without enough points with weight
     * leaves its lane to the next */
    const int K = ties.at.empty() && !shared ? lanes_for(c, out.info) : 1;
    /* where sigma is chosen (by a criterion or an edf, not robust), the choices of
     * KC series at once (choose_many); their smooths and info then in as
     * many lanes */
    const int KC = c.automatic && !c.robust && !c.spline && ties.at.empty() && c.k > 1
                       ? lanes_within(sums_lane_doubles(n, d)) : 1;
    /* robust series KR at once (robust_many) */
    const int KR = c.robust && !c.spline && ties.at.empty() && c.k > 1 ? lanes_within(sums_lane_doubles(n, d)) : 1;
    auto work = [&](const interrupts &ic) {
        workspace ws;
        weighted_work ww;
        memory scratch;         /* a merged series: y, w, z, leverages, standard errors, robust weights */
        std::vector<weighted_work> lw(K > 1 ? K : 0);
        std::vector<idx> lj;    /* the series in the lanes so far, and their problems */
        std::vector<problem> lq;
        memory room;
        lane_arrays lanes;
        std::vector<weighted_work> cw(KC > 1 ? KC : 0);
        std::vector<problem> cp;    /* the series whose choice waits, and their columns */
        std::vector<idx> cj;
        std::vector<weighted_work> rw(KR > 1 ? KR : 0);
        std::vector<problem> rp;    /* the robust series waiting, their columns and weights */
        std::vector<idx> rj;
        std::vector<const double *> rwt;
        auto robusts = [&] {
            problem *ps[8];
            for (size_t l = 0; l < rj.size(); l++) ps[l] = &rp[l];
            const bool ok = robust_many(c, ps, rj.data(), rwt.data(), int(rj.size()), KR, out, rw.data(), ws, ic);
            rp.clear();
            rj.clear();
            rwt.clear();
            return ok && ic.go();
        };
        /* z of `used` <= K series, ps[l] at sig[l] (scaled), into column
         * cols[l] of out.z, all at once in r's lanes: through the sweep and
         * back, then each unweighed; or the state form's, beyond by_state's
         * line.  An idle lane smooths rho 1, b 0.  False where the sigmas lie
         * on both sides of that line, for the caller to smooth each alone. */
        auto lanes_z = [&](const lane_arrays &r, int K, int used, const problem *const *ps, const idx *cols,
                           const double *sigma) {
            double sig[8];
            for (int l = 0; l < K; l++) sig[l] = l < used ? sigma[l] : 1.0;
            const bool state = by_state(S, sig[0]);
            for (int l = 1; l < used; l++)
                if (by_state(S, sig[l]) != state) return false;
            for (idx i = 0; i < n; i++)         /* the state form's w in rho, b in x */
                for (int l = 0; l < K; l++) {
                    r.rho[K * i + l] = l >= used ? 1.0 : state ? ps[l]->g->w[i] : ps[l]->g->rho[i];
                    r.x[K * i + l] = l < used ? ps[l]->g->b[i] : 0.0;
                }
            if (state) {
                double ones[8], sq[8], Rd[8 * d_max];
                std::fill(ones, ones + 8, 1.0);
                state_lanes(K, n, d, state_times(S, sig, K), sig, r.rho, r.x, ones, r.x, r.T, sq, Rd);
            } else {
                smooth_lanes(K, n, S, sig, r.rho, r.x, r.T);
            }
            for (int l = 0; l < used; l++) {
                double *z = out.z + cols[l] * n;
                for (idx i = 0; i < n; i++) z[i] = r.x[K * i + l];
                if (!state) unweigh(*ps[l], sig[l], z);
            }
            return true;
        };
        auto chosen = [&] {
            const int count = int(cj.size());
            choice ch[8];
            const problem *ps[8];
            double sig[8];
            bool alone[8];
            for (int l = 0; l < count; l++) ps[l] = &cp[l];
            if (count > 1 && !choose_many(ps, count, KC, c.criterion, c.edf, ch, out.z + cj[0] * n, ws, ic)) return false;
            for (int l = 0; l < count; l++) {
                const idx j = cj[l];
                const double sigma = count == 1 ? pick(c, cp[l], j, out.z + j * n, ws, ic, out) : picked(ch[l], j, out);
                sig[l] = sigma;
                alone[l] = count == 1 || c.onesided || !cp[l].g || !std::isfinite(sigma);
                if (alone[l] && (ic.stop->load() || !series(c, cp[l], j, sigma, out, leverage_of(j), ws, ic)))
                    return false;
            }
            /* the others' z (and info), as series gives them, in the choice's lanes (ws.lanes, free now) */
            const problem *lp[8];
            idx lc[8];
            double ls[8];
            int used = 0;
            for (int l = 0; l < count; l++)
                if (!alone[l]) lp[used] = &cp[l], lc[used] = cj[l], ls[used++] = sig[l];
            if (used > 0 && out.info) {
                want what[8];
                double *zs[8], *hs[8];
                sums f[8];
                for (int l = 0; l < used; l++) {
                    what[l] = want_leverages;
                    zs[l] = out.z + lc[l] * n;
                    hs[l] = leverage_of(lc[l]);
                }
                if (!sums_of_many(lp, what, ls, used, KC, f, ws, ic, zs, hs)) return false;
                for (int l = 0; l < used; l++)
                    report(*lp[l], lc[l], std::ldexp(ls[l], -(lp[l]->u.a + lp[l]->u.bd)), f[l], out);
            } else if (used > 0) {
                lane_arrays r;
                r.reserve(ws.lanes, n, d, KC);
                if (!lanes_z(r, KC, used, lp, lc, ls))
                    for (int l = 0; l < used; l++)
                        if (!series(c, *lp[l], lc[l], ls[l], out, nullptr, ws, ic)) return false;
                if (!ic.go()) return false;
            }
            cp.clear();
            cj.clear();
            return true;
        };
        auto flush = [&] {
            const int used = int(lj.size());
            const problem *ps[8];
            double sig[8];
            lq.clear();
            for (int l = 0; l < used; l++) {
                lq.push_back({n, S, &lw[l].g, y + lj[l] * n, nullptr, base});
                lq.back().u.a = lw[l].g.a;
                sig[l] = std::ldexp(c.sigma, lw[l].g.a + base.bd);
            }
            for (int l = 0; l < used; l++) ps[l] = &lq[l];
            if (!lanes_z(lanes, K, used, ps, lj.data(), sig))   /* order 2 at lambda near 1e16, the weights' scales apart */
                for (int l = 0; l < used; l++)
                    if (!weighted_series(c, S, lj[l], y, weights_of(lj[l]), out, ww, ws, ic, base)) return false;
            lj.clear();
            return ic.go();
        };
        try {
            if (K > 1) lanes.reserve(room, n, d, K);
            for (idx j = next++; j < c.k && !stop.load(); j = next++) {
                const double *yj = y + j * n, *wj = weights_of(j);
                if (K > 1) {    /* no ties here: weigh counts the times with weight */
                    weights &g = lw[lj.size()].g;
                    weigh(n, d, yj, wj, nullptr, g);
                    if (g.observed < need) {
                        unobserved(c, j, out);
                    } else if (g.observed <= d) {
                        if (!weighted_series(c, S, j, y, wj, out, ww, ws, ic, base)) return;
                    } else {
                        lj.push_back(j);
                        if (int(lj.size()) == K && !flush()) return;
                    }
                } else if (observed_times(n, yj, wj, t) < need) {
                    unobserved(c, j, out);
                } else if (!ties.at.empty()) {
                    double *ym = scratch.reserve(6 * nt), *wm = ym + nt;
                    ties.merge(yj, wj, ym, wm);
                    smooth_call cm = c;
                    cm.n = nt, cm.k = 1, cm.shared = true;
                    smooth_out m = {ym + 2 * nt};       /* series 0 of its own outputs, at j of out's */
                    m.info = out.info;
                    for (int f = 0; f < robust_info_count; f++)
                        if (!info_fields[f].per_point && out.*(info_fields[f].to))
                            m.*(info_fields[f].to) = out.*(info_fields[f].to) + j;
                    if (out.info) m.leverage = ym + 3 * nt, m.stderror = ym + 4 * nt;
                    if (out.weights) m.weights = ym + 5 * nt;
                    m.missed = out.missed ? out.missed + j : nullptr;
                    if (!weighted_series(cm, S, 0, ym, wm, m, ww, ws, ic, base)) return;
                    ties.expand(n, j, yj, wj, wm, m, out);
                } else if (shared) {
                    weights *g = w ? &ww.g : nullptr;
                    if (g) weigh(n, d, yj, w, nullptr, *g);
                    problem p = {n, S, g, yj, shared, base};
                    p.u.c = value_scale(n, yj, g ? g->w : nullptr);
                    if (!series(c, p, j, pick(c, p, j, out.z + j * n, ws, ic, out), out, leverage_of(j), ws, ic))
                        return;
                } else if (KC > 1) {
                    weights *g = w || gaps(j) ? &cw[cj.size()].g : nullptr;
                    if (g) weigh(n, d, yj, wj, nullptr, *g);
                    cp.push_back({n, S, g, yj, nullptr, base});
                    cp.back().u.a = g ? g->a : 0;
                    cp.back().u.c = value_scale(n, yj, g ? g->w : nullptr);
                    cj.push_back(j);
                    if (int(cj.size()) == KC && !chosen()) return;
                } else if (KR > 1) {
                    rp.push_back({n, S, &rw[rj.size()].g, yj, nullptr, base});
                    rj.push_back(j);
                    rwt.push_back(wj);
                    if (int(rj.size()) == KR && !robusts()) return;
                } else if (w || c.robust || gaps(j)) {
                    if (!weighted_series(c, S, j, y, wj, out, ww, ws, ic, base)) return;
                } else {
                    problem p = {n, S, nullptr, yj, nullptr, base};
                    p.u.c = value_scale(n, yj, nullptr);
                    const double sigma = pick(c, p, j, out.z + j * n, ws, ic, out);
                    if (stop.load() || !series(c, p, j, sigma, out, leverage_of(j), ws, ic)) return;
                }
            }
            if (!lj.empty() && !stop.load()) flush();
            if (!cj.empty() && !stop.load()) chosen();
            if (!rj.empty() && !stop.load()) robusts();
        } catch (const std::bad_alloc &) {
            lacked_memory = true;
            stop = true;
        }
    };
    const idx left = c.k - next.load();
    const int helpers = static_cast<int>(std::max<idx>(0, std::min<idx>(threads, left) - 1));
    {
        threads_joined team = {{}, &stop};
        try {
            for (int i = 0; i < helpers; i++) team.threads.emplace_back(work, other);
        } catch (const std::system_error &) {     /* fewer threads than asked: go on with those */
        }
        work(calling);
    }
    return lacked_memory.load() ? short_of_memory : smoothed;
}

} // namespace givqr
