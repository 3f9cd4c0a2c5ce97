/* givsmooth_check: the arguments of [z, info] = givsmooth (y, sigma, name, value, ...) */
#include "givsmooth_check.h"
#include "elementary.h"
#include "stencil.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace givqr {

namespace {

/* Whether a's text is word, in any case (a text cut short, or with a NUL
 * in it, is no word). */
bool is(const arg &a, const char *word)
{
    int k = 0;
    for (; word[k]; k++)
        if (std::tolower(static_cast<unsigned char>(a.text[k])) != word[k]) return false;
    return a.text[k] == 0 && a.whole;
}

bool scalar(const arg &a)
{
    return a.real && a.m == 1 && a.n == 1;
}

/* true or false: a logical scalar, or a number 1 or 0, as MATLAB's own
 * functions take them */
bool flag(const arg &a)
{
    return scalar(a) && (a.logical || a.value == 0.0 || a.value == 1.0);
}

/* a's text, quoted for a message: at most 40 characters, (cut) after a
 * longer one, what cannot be printed (a NUL) as ? */
void quote(const arg &a, char (&to)[64])
{
    int k = 0;
    to[k++] = '\'';
    for (idx i = 0; i < a.n && i < 40; i++) {      /* a NUL among them too */
        const unsigned char c = static_cast<unsigned char>(a.text[i]);
        to[k++] = c >= 32 && c < 127 ? char(c) : '?';
    }
    to[k++] = '\'';
    to[k] = 0;
    if (a.n > 40) std::strcat(to, " (cut)");
}

} // namespace

const failure *givsmooth_check(int nlhs, int nrhs, const arg *a, smooth_call *c, smooth_args *g)
{
    if (nrhs < 1) return &failures[givsmooth_nargin];
    if (nlhs > 2) return &failures[givsmooth_nargout];
    const arg &y = a[0];
    if (!y.real || !y.matrix) return &failures[givsmooth_yClass];
    *c = smooth_call();
    *g = smooth_args();
    g->row = y.m == 1;
    c->n = g->row ? y.n : y.m;
    c->k = g->row ? 1 : y.n;
    if (c->n < 3) return &failures[givsmooth_ySize];

    /* sigma is given once, as itself or as Lambda, Period or EDF: two of
     * them clash, while one given again takes its last value, as every
     * option does */
    enum { none, by_sigma, by_lambda, by_period, by_edf } given = none;
    auto give = [&](int how) {
        const bool clash = given != none && given != how;
        given = decltype(given)(how);
        return clash;
    };
    int k = 1;
    if (nrhs > 1 && !a[1].chars) {      /* sigma, or [] */
        const arg &s = a[1];
        if (s.real && s.m * s.n == 0) {
        } else if (scalar(s)) {
            c->automatic = false;
            c->sigma = s.value;
            given = by_sigma;
        } else {
            return &failures[givsmooth_sigma];
        }
        k = 2;
    }
    for (; k < nrhs; k += 2) {
        const arg &name = a[k];
        if (!name.chars || name.m != 1) return &failures[givsmooth_option];
        if (!is(name, "criterion") && !is(name, "lambda") && !is(name, "period") && !is(name, "onesided") &&
            !is(name, "weights") && !is(name, "robust") && !is(name, "order") && !is(name, "samplepoints") &&
            !is(name, "edf")) {
            quote(name, g->detail);
            return &failures[givsmooth_optionName];
        }
        if (k + 1 >= nrhs) return &failures[givsmooth_optionValue];
        const arg &v = a[k + 1];
        if (is(name, "criterion")) {
            if (!is(v, "gcv") && !is(v, "loocv") && !is(v, "reml")) return &failures[givsmooth_criterion];
            c->criterion = is(v, "loocv") ? loocv : is(v, "reml") ? reml : gcv;
        } else if (is(name, "edf")) {
            if (!scalar(v) || !std::isfinite(v.value) || !(v.value > 0.0)) return &failures[givsmooth_edf];
            if (give(by_edf)) return &failures[givsmooth_twice];
            c->edf = v.value;       /* in (d, n_o) for each series: givsmooth_data_check */
        } else if (is(name, "lambda")) {
            if (!scalar(v) || !(v.value >= 0.0)) return &failures[givsmooth_lambda];
            if (give(by_lambda)) return &failures[givsmooth_twice];
            c->automatic = false;
            c->sigma = 1.0 / std::sqrt(v.value);        /* 0 gives Inf, Inf gives 0 */
        } else if (is(name, "period")) {
            if (!scalar(v) || !(v.value > 0.0)) return &failures[givsmooth_period];
            if (give(by_period)) return &failures[givsmooth_twice];
            c->automatic = false;
            g->period = v.value;        /* sigma once t and d are known */
        } else if (is(name, "order")) {
            if (!scalar(v) || !(v.value >= 1.0 && v.value <= double(d_max)) || v.value != double(int(v.value)))
                return &failures[givsmooth_order];
            c->d = int(v.value);
        } else if (is(name, "samplepoints")) {
            const bool vector = (v.m == c->n && v.n == 1) || (v.m == 1 && v.n == c->n);
            if (!v.real || !v.matrix || !vector) return &failures[givsmooth_samplePoints];
            g->times = k + 1;
        } else if (is(name, "weights")) {
            if (!v.real) return &failures[givsmooth_weightsClass];
            /* a vector of n for every series, or n-by-k: one for each */
            const bool vector = (v.m == c->n && v.n == 1) || (v.m == 1 && v.n == c->n);
            if (!v.matrix || !(vector || (!g->row && v.m == c->n && v.n == c->k)))
                return &failures[givsmooth_weightsSize];
            g->weights = k + 1;
            c->shared = vector;
        } else if (is(name, "robust")) {
            if (!flag(v)) return &failures[givsmooth_robust];
            c->robust = v.value != 0.0;
        } else {
            if (!flag(v)) return &failures[givsmooth_oneSided];
            c->onesided = v.value != 0.0;
        }
    }
    return nullptr;
}

idx distinct_times(idx n, const double *t)
{
    idx k = n > 0;
    for (idx i = 1; t && i < n; i++) k += t[i] != t[i - 1];
    return t ? k : n;
}

idx observed_times(idx n, const double *y, const double *w, const double *t)
{
    idx seen = 0;
    bool counted = false;           /* the time of point i-1 has been counted */
    for (idx i = 0; i < n; i++) {
        if (i == 0 || !t || t[i] != t[i - 1]) counted = false;
        const bool has = (w ? w[i] > 0.0 : true) && !std::isnan(y[i]);
        if (has && !counted) seen++, counted = true;
    }
    return seen;
}

const failure *givsmooth_data_check(smooth_call *c, smooth_args *g, const double *y, const double *w,
                                    const double *t)
{
    const idx n = c->n;
    if (t)
        for (idx i = 0; i < n; i++)
            if (!std::isfinite(t[i]) || (i > 0 && !(t[i] >= t[i - 1]))) {
                std::snprintf(g->detail, sizeof g->detail, "%lld", (long long)(i + 1));
                return &failures[givsmooth_samplePointsValue];
            }
    const idx distinct = distinct_times(n, t);
    if (g->period > 0.0) {
        /* lambda = (2*sin(pi*h/p)/h)^(-2d), h the mean spacing of the
         * distinct times: the filter halves a cycle of period p, in t's
         * units; h = 1 without t */
        const double h = t ? (t[n - 1] - t[0]) / double(distinct - 1) : 1.0;
        if (!(g->period > 2.0 * h)) return &failures[givsmooth_period];
        const double s = sin_pi_over(g->period / h) / h;
        double v = s;
        for (int k = 2; k <= c->d; k++) v = v * s;
        c->sigma = std::ldexp(v, c->d);     /* (2s)^d */
    }
    if (w)
        for (idx i = 0, count = c->shared ? n : n * c->k; i < count; i++)
            if (!(w[i] >= 0.0) || std::isinf(w[i])) return &failures[givsmooth_weightsValue];
    /* a series with too few points with weight: a single one fails, the
     * columns of a matrix come out NaN (givsmooth) */
    const idx need = c->automatic ? c->d + 1 : c->d;
    for (idx j = 0; j < c->k; j++) {
        const idx seen = observed_times(n, y + j * n, w ? w + (c->shared ? 0 : j * n) : nullptr, t);
        if (seen < need && c->k == 1) return &failures[givsmooth_observed];
        if (seen >= need && c->edf > 0.0 && !(c->edf > double(c->d) && c->edf < double(seen)))
            return &failures[givsmooth_edf];
    }
    return nullptr;
}

} // namespace givqr
