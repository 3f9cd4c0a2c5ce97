/* givsmooth_check: the arguments of givsmooth (y, sigma, name, value, ...) and givspline (x, y, lambda, xx, ...) */
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

/* The options of a command: their names (lower case, a space after each)
 * and the failures a command gives for those it shares. */
struct option_set {
    const char *names;
    message option, optionName, optionValue, criterion, lambda, edf, twice, weightsClass, weightsSize, robust;
};

const option_set smooth_options = {
    "criterion lambda period onesided weights robust order samplepoints edf ", givsmooth_option,
    givsmooth_optionName, givsmooth_optionValue, givsmooth_criterion, givsmooth_lambda, givsmooth_edf,
    givsmooth_twice, givsmooth_weightsClass, givsmooth_weightsSize, givsmooth_robust};
const option_set spline_options = {
    "criterion lambda weights robust edf ", givspline_option, givspline_optionName, givspline_optionValue,
    givspline_criterion, givspline_lambda, givspline_edf, givspline_twice, givspline_weightsClass,
    givspline_weightsSize, givspline_robust};

/* sigma is given once, as itself (or the spline's lambda) or as Lambda,
 * Period or EDF: two of them clash, while one given again takes its last
 * value, as every option does */
enum given_as { none, by_sigma, by_lambda, by_period, by_edf };

/* The name, value pairs from a[k] on, of the set o. */
const failure *options(int k, int nrhs, const arg *a, const option_set &o, given_as given, smooth_call *c,
                       smooth_args *g)
{
    auto give = [&](given_as how) {
        const bool clash = given != none && given != how;
        given = how;
        return clash;
    };
    for (; k < nrhs; k += 2) {
        const arg &name = a[k];
        if (!name.chars || name.m != 1) return &failures[o.option];
        bool known = false;
        for (const char *p = o.names; *p && !known;) {
            const char *end = std::strchr(p, ' ');
            char word[16];
            std::snprintf(word, sizeof word, "%.*s", int(end - p), p);
            known = is(name, word);
            p = end + 1;
        }
        if (!known) {
            quote(name, g->detail);
            return &failures[o.optionName];
        }
        if (k + 1 >= nrhs) return &failures[o.optionValue];
        const arg &v = a[k + 1];
        if (is(name, "criterion")) {
            if (!is(v, "gcv") && !is(v, "loocv") && !is(v, "reml")) return &failures[o.criterion];
            c->criterion = is(v, "loocv") ? loocv : is(v, "reml") ? reml : gcv;
        } else if (is(name, "edf")) {
            if (!scalar(v) || !std::isfinite(v.value) || !(v.value > 0.0)) return &failures[o.edf];
            if (give(by_edf)) return &failures[o.twice];
            c->edf = v.value;       /* in (d, n_o) for each series: givsmooth_data_check */
        } else if (is(name, "lambda")) {
            if (!scalar(v) || !(v.value >= 0.0)) return &failures[o.lambda];
            if (give(by_lambda)) return &failures[o.twice];
            c->automatic = false;
            c->sigma = 1.0 / std::sqrt(v.value);        /* 0 gives Inf, Inf gives 0 */
        } else if (is(name, "period")) {
            if (!scalar(v) || !(v.value > 0.0)) return &failures[givsmooth_period];
            if (give(by_period)) return &failures[o.twice];
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
            if (!v.real) return &failures[o.weightsClass];
            /* a vector of n for every series, or n-by-k: one for each */
            const bool vector = (v.m == c->n && v.n == 1) || (v.m == 1 && v.n == c->n);
            if (!v.matrix || !(vector || (!g->row && v.m == c->n && v.n == c->k)))
                return &failures[o.weightsSize];
            g->weights = k + 1;
            c->shared = vector;
        } else if (is(name, "robust")) {
            if (!flag(v)) return &failures[o.robust];
            c->robust = v.value != 0.0;
        } else {
            if (!flag(v)) return &failures[givsmooth_oneSided];
            c->onesided = v.value != 0.0;
        }
    }
    return nullptr;
}

/* y (a), n-by-k or a row, into c and g; or its failure. */
const failure *series_of(const arg &y, message yClass, message ySize, smooth_call *c, smooth_args *g)
{
    if (!y.real || !y.matrix) return &failures[yClass];
    g->row = y.m == 1;
    c->n = g->row ? y.n : y.m;
    c->k = g->row ? 1 : y.n;
    return c->n < 3 ? &failures[ySize] : nullptr;
}

} // namespace

const failure *givsmooth_check(int nlhs, int nrhs, const arg *a, smooth_call *c, smooth_args *g)
{
    if (nrhs < 1) return &failures[givsmooth_nargin];
    if (nlhs > 2) return &failures[givsmooth_nargout];
    *c = smooth_call();
    *g = smooth_args();
    if (const failure *f = series_of(a[0], givsmooth_yClass, givsmooth_ySize, c, g)) return f;
    given_as given = none;
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
    return options(k, nrhs, a, smooth_options, given, c, g);
}

const failure *givspline_check(int nlhs, int nrhs, const arg *a, smooth_call *c, smooth_args *g)
{
    if (nrhs < 2) return &failures[givspline_nargin];
    if (nlhs > 2) return &failures[givspline_nargout];
    *c = smooth_call();
    *g = smooth_args();
    c->spline = true;
    if (const failure *f = series_of(a[1], givspline_yClass, givspline_ySize, c, g)) return f;
    const arg &x = a[0];
    if (!x.real || !x.matrix || !((x.m == c->n && x.n == 1) || (x.m == 1 && x.n == c->n))) return &failures[givspline_x];
    g->times = 0;
    given_as given = none;
    int k = 2;
    if (nrhs > 2 && !a[2].chars) {      /* lambda, or [] */
        const arg &l = a[2];
        if (l.real && l.m * l.n == 0) {
        } else if (scalar(l) && l.value >= 0.0) {
            c->automatic = false;
            c->sigma = 1.0 / std::sqrt(l.value);
            given = by_sigma;
        } else {
            return &failures[givspline_lambda];
        }
        k = 3;
        if (nrhs > 3 && !a[3].chars) {  /* xx */
            if (!a[3].real) return &failures[givspline_xx];
            g->points = 3;
            k = 4;
        }
    }
    return options(k, nrhs, a, spline_options, given, c, g);
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
    if (!t && !w) {
        for (idx i = 0; i < n; i++) seen += !std::isnan(y[i]);
        return seen;
    }
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
                return &failures[c->spline ? givspline_xValue : givsmooth_samplePointsValue];
            }
    const idx distinct = distinct_times(n, t);
    /* a spline's pieces lie between distinct x: at one x there are none to
     * give, even as NaN, for any column */
    if (c->spline && distinct < 2) return &failures[givspline_observed];
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
            if (!(w[i] >= 0.0) || std::isinf(w[i]))
                return &failures[c->spline ? givspline_weightsValue : givsmooth_weightsValue];
    /* a series with too few points with weight: a single one fails, the
     * columns of a matrix come out NaN (givsmooth) */
    const idx need = c->spline ? 3 : c->automatic ? c->d + 1 : c->d;
    for (idx j = 0; j < c->k; j++) {
        const idx seen = observed_times(n, y + j * n, w ? w + (c->shared ? 0 : j * n) : nullptr, t);
        if (seen < need && c->k == 1) return &failures[c->spline ? givspline_observed : givsmooth_observed];
        if (seen >= need && c->edf > 0.0 && !(c->edf > double(c->d) && c->edf < double(seen)))
            return &failures[c->spline ? givspline_edf : givsmooth_edf];
    }
    return nullptr;
}

} // namespace givqr
