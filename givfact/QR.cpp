/* QR: Q'*[D'; sigma*I] = [R; 0] in one left-to-right sweep of Givens rotations */
#include "QR.h"
#include "QR_step.h"
#include "cycle.h"

namespace givqr {

namespace {

/* The slot of R(i,i) in pr; R(i,i+1) is pr[3i+1], R(i,i+2) is pr[3i+3]. */
inline idx diag(idx i)
{
    return i == 0 ? 0 : 3 * i - 1;
}

/* The stencil row each step meets: (1, -2, 1), D's column. */
constexpr double F[3] = {1.0, -2.0, 1.0};

/* Step i of the sweep, its rotations and row i of R stored. */
inline void step(idx m, double sigma, idx i, double *L, double *const Q[6], double *pr)
{
    double q[6], r[3];
    QR_step<2>(sigma, F, i < m - 2 ? 2 : int(m - 1 - i), L, q, r);
    for (int k = 0; k < 6; k++) Q[k][i] = q[k];
    pr[diag(i)] = r[0];
    if (i < m - 1) pr[3 * i + 1] = r[1];
    if (i < m - 2) pr[3 * i + 3] = r[2];
}

} // namespace

/*
 * The sweep computes step after step until the state it carries repeats
 * (cycle.h); from there the rows of Qbar and R are copied from the period
 * before the repeat, which is exact, and the last two steps computed from
 * the state they repeat.  Where the state never repeats (sigma = 0), every
 * step is computed, at the cost of two comparisons each.
 */
void QR_part(idx n, double sigma, double *Qbar, double *pr, idx i0, idx i1, QR_state *st)
{
    const idx m = order(n);
    double *Q[6];
    for (int k = 0; k < 6; k++) Q[k] = Qbar + k * m;
    if (i0 == 0) QR_start(*st, 2, F);       /* stencil rows 0 and 1: (1) and (-2, 1) */
    double L[3] = {st->L[0], st->L[1], st->L[2]};
    idx i = i0;

    /* the transient: each step computed and its start state watched */
    if (st->start < 0) {
        watch<2> wt(*st, i);
        for (; i < i1 && !wt.repeats(i, m, L); i++) step(m, sigma, i, L, Q, pr);
        wt.save();
    }

    /* the cycle: step j >= start repeats step j - period, up to step m-3.
     * Its rows are copied, for periods 1 and 2 from the values, kept in
     * registers, of the steps start-period .. start-1; R's entries step by
     * step, since R(i,i+2) of the step before start lies among them and is
     * the transient's own. */
    if (st->start >= 0 && i < i1 && i < m - 2) {
        const idx s = st->start, p = st->period, end = i1 < m - 2 ? i1 : m - 2;
        if (p <= 2) {
            double q[2][6], r[2][3];                /* the steps s-p .. s-1 */
            for (idx k = 0; k < p; k++) {
                const idx j = s - p + k;
                for (int c = 0; c < 6; c++) q[k][c] = Q[c][j];
                r[k][0] = pr[diag(j)];
                r[k][1] = pr[3 * j + 1];
                r[k][2] = pr[3 * j + 3];
            }
            for (; i < end; i++) {
                const idx k = p == 1 ? 0 : (i - s) & 1;
                for (int c = 0; c < 6; c++) Q[c][i] = q[k][c];
                pr[3 * i - 1] = r[k][0];
                pr[3 * i + 1] = r[k][1];
                pr[3 * i + 3] = r[k][2];
            }
        } else {
            for (; i < end; i++) {
                for (int c = 0; c < 6; c++) Q[c][i] = Q[c][i - p];
                pr[3 * i - 1] = pr[diag(i - p)];
                pr[3 * i + 1] = pr[3 * (i - p) + 1];
                pr[3 * i + 3] = pr[3 * (i - p) + 3];
            }
        }
        if (i == m - 2) cycle_end<2>(*st, m, sigma, F, L);
    }

    /* the last steps, and any the cycle did not reach */
    for (; i < i1; i++) step(m, sigma, i, L, Q, pr);
    for (int k = 0; k < 3; k++) st->L[k] = L[k];
}

void QR(idx n, double sigma, double *Qbar, double *pr)
{
    QR_state st;
    QR_part(n, sigma, Qbar, pr, 0, order(n), &st);
}

} // namespace givqr
