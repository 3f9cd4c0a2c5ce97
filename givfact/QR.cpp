/* QR: Q'*[D'; sigma*I] = [R; 0] in one left-to-right sweep of Givens rotations */
#include "QR.h"
#include "QR_step.h"

#include <cstdint>
#include <cstring>

namespace givqr {

namespace {

/* A double's bits: +0.0 and -0.0 differ, a NaN equals itself. */
inline std::uint64_t bits(double x)
{
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

/* The slot of R(i,i) in pr; R(i,i+1) is pr[3i+1], R(i,i+2) is pr[3i+3]. */
inline idx diag(idx i)
{
    return i == 0 ? 0 : 3 * i - 1;
}

} // namespace

/*
 * The sweep computes step after step until the state it carries, (d, e, w)
 * at the start of a step, repeats bit for bit the state one or two steps
 * before.  Inside (i < m-2) a step is one function of that state and sigma
 * alone (QR_step), so from there on every step repeats the one a period
 * before, up to the last two, whose form differs: the rows of Qbar and of R
 * are copied from the period before the repeat, which is exact, and the
 * last two steps are computed from the state they repeat.  Past a transient
 * of some rows (a few at sigma = 1, about 2*10^5 at 1e-8) the states of
 * every sigma tried repeat with period 1, or 2 where the diagonal of R
 * changes sign from row to row; some (sigma = 0) never repeat, and then the
 * sweep computes every step, at the cost of two comparisons each.
 */
void QR_part(idx n, double sigma, double *Qbar, double *pr, idx i0, idx i1, QR_state *st)
{
    const idx m = order(n);
    double *Q[6];
    for (int k = 0; k < 6; k++) Q[k] = Qbar + k * m;

    if (i0 == 0) {
        /* stencil row 0 is R(0,0) = 1; stencil row 1, (-2, 1), is the pending
         * row: w holds its column-0 entry, e its column-1 entry, R(1,1) */
        st->d = 1.0;
        st->e = 1.0;
        st->w = -2.0;
        st->seen = 0;
        st->start = -1;
        st->period = 0;
    }
    double d = st->d, e = st->e, w = st->w;
    idx i = i0;

    /* the transient: each step computed, its start state compared with those
     * of the two steps before (kept in registers, as bits) */
    if (st->start < 0 && i < i1) {
        std::uint64_t a0 = bits(st->prev[0][0]), a1 = bits(st->prev[0][1]), a2 = bits(st->prev[0][2]);
        std::uint64_t b0 = bits(st->prev[1][0]), b1 = bits(st->prev[1][1]), b2 = bits(st->prev[1][2]);
        idx seen = st->seen;
        for (; i < i1; i++) {
            const std::uint64_t x0 = bits(d), x1 = bits(e), x2 = bits(w);
            if (i < m - 2 && seen > 0) {
                if (x0 == a0 && x1 == a1 && x2 == a2) st->period = 1;
                else if (seen > 1 && x0 == b0 && x1 == b1 && x2 == b2) st->period = 2;
                if (st->period > 0) {
                    st->start = i;
                    break;
                }
            }
            b0 = a0, b1 = a1, b2 = a2;
            a0 = x0, a1 = x1, a2 = x2;
            seen += seen < 2;
            double q[6], r[3];
            QR_step(sigma, i < m - 1, i < m - 2, d, e, w, q, r);
            for (int k = 0; k < 6; k++) Q[k][i] = q[k];
            pr[diag(i)] = r[0];
            if (i < m - 1) pr[3 * i + 1] = r[1];
            if (i < m - 2) pr[3 * i + 3] = r[2];
        }
        const std::uint64_t a[3] = {a0, a1, a2}, b[3] = {b0, b1, b2};
        std::memcpy(st->prev[0], a, sizeof a);
        std::memcpy(st->prev[1], b, sizeof b);
        st->seen = seen;
    }

    /* the cycle: step j >= start repeats step j - period, up to step m-3.
     * Its rows are copied from the values, kept in registers, of the steps
     * start-period .. start-1; R's entries step by step, since R(i,i+2) of
     * the step before start lies among them and is the transient's own. */
    if (st->start >= 0 && i < i1) {
        const idx s = st->start, p = st->period, end = i1 < m - 2 ? i1 : m - 2;
        double q[2][6], r[2][3];                /* the steps s-p .. s-1 */
        for (idx k = 0; k < p; k++) {
            const idx j = s - p + k;
            for (int c = 0; c < 6; c++) q[k][c] = Q[c][j];
            r[k][0] = pr[diag(j)];
            r[k][1] = pr[3 * j + 1];
            r[k][2] = pr[3 * j + 3];
        }
        if (p == 1) {
            for (; i < end; i++) {
                for (int c = 0; c < 6; c++) Q[c][i] = q[0][c];
                pr[3 * i - 1] = r[0][0];
                pr[3 * i + 1] = r[0][1];
                pr[3 * i + 3] = r[0][2];
            }
        } else {
            for (; i < end; i++) {
                const idx k = (i - s) & 1;
                for (int c = 0; c < 6; c++) Q[c][i] = q[k][c];
                pr[3 * i - 1] = r[k][0];
                pr[3 * i + 1] = r[k][1];
                pr[3 * i + 3] = r[k][2];
            }
        }
        /* the last two steps start from the state step m-2 repeats: that of
         * step s (the state then) or of step s-1 (prev[0]) */
        if (i == m - 2 && (m - 2 - s) % p != 0) {
            d = st->prev[0][0];
            e = st->prev[0][1];
            w = st->prev[0][2];
        }
    }

    /* the last steps, and any the cycle did not reach */
    for (; i < i1; i++) {
        double q[6], r[3];
        QR_step(sigma, i < m - 1, i < m - 2, d, e, w, q, r);
        for (int k = 0; k < 6; k++) Q[k][i] = q[k];
        pr[diag(i)] = r[0];
        if (i < m - 1) pr[3 * i + 1] = r[1];
        if (i < m - 2) pr[3 * i + 3] = r[2];
    }
    st->d = d;
    st->e = e;
    st->w = w;
}

void QR(idx n, double sigma, double *Qbar, double *pr)
{
    QR_state st;
    QR_part(n, sigma, Qbar, pr, 0, order(n), &st);
}

} // namespace givqr
