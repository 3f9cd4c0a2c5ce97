/* QR: Q'*[D'; sigma*I] = [R; 0] in one left-to-right sweep of Givens rotations */
#include "QR.h"
#include "phases.h"

namespace givqr {

namespace {

/* The slot of R(i,i) in pr; R(i,i+1) is pr[3i+1], R(i,i+2) is pr[3i+3]. */
inline idx diag(idx i)
{
    return i == 0 ? 0 : 3 * i - 1;
}

/* The stencil row each step meets: (1, -2, 1), D's column. */
constexpr double F[3] = {1.0, -2.0, 1.0};

/* The steps of the sweep, each into row i of Qbar and of R; a row of the
 * cycle is the 6 numbers of Qbar's row and R(i,i..i+2). */
struct factor_steps {
    static constexpr int width = 9, state = 3;
    idx m;
    double sigma;
    double *Qbar;           /* Qbar(i,k) at Qbar[k*m + i] */
    double *pr;
    idx p;                  /* the period, once found */
    double L[3];

    GIVQR_STEP void compute(idx i)
    {
        double q[6], r[3];
        QR_step<2>(sigma, F, i < m - 2 ? 2 : int(m - 1 - i), L, q, r);
        for (int k = 0; k < 6; k++) Qbar[k * m + i] = q[k];
        pr[diag(i)] = r[0];
        if (i < m - 1) pr[3 * i + 1] = r[1];
        if (i < m - 2) pr[3 * i + 3] = r[2];
    }
    GIVQR_STEP void last(idx i) { compute(i); }
    void found(idx, idx period) { p = period; }
    GIVQR_STEP void hold(idx j, double *row) const
    {
        for (int c = 0; c < 6; c++) row[c] = Qbar[c * m + j];
        row[6] = pr[diag(j)];
        row[7] = pr[3 * j + 1];
        row[8] = pr[3 * j + 3];
    }
    /* the cycle's rows copied, which is exact: inside it every i >= 1 */
    GIVQR_STEP void again(idx i, const double *row, int)
    {
        for (int c = 0; c < 6; c++) Qbar[c * m + i] = row[c];
        pr[3 * i - 1] = row[6];
        pr[3 * i + 1] = row[7];
        pr[3 * i + 3] = row[8];
    }
    GIVQR_STEP void again_at(idx i, idx)   /* row i-p: the same numbers as row j, and near */
    {
        for (int c = 0; c < 6; c++) Qbar[c * m + i] = Qbar[c * m + i - p];
        pr[3 * i - 1] = pr[diag(i - p)];
        pr[3 * i + 1] = pr[3 * (i - p) + 1];
        pr[3 * i + 3] = pr[3 * (i - p) + 3];
    }
    void cycled(idx, idx) {}
    void cycle_end(const sweep_state &st)
    {
        givqr::cycle_end(st, m, 2, [&] {
            double q[6], r[3];
            QR_step<2>(sigma, F, 2, L, q, r);
        });
    }
};

} // namespace

/*
 * The sweep computes step after step until the state it carries repeats
 * (cycle.h); from there the rows of Qbar and R are copied from the period
 * before the repeat, which is exact, and the last two steps computed from
 * the state they repeat.  Where the state never repeats (sigma = 0), every
 * step is computed, at the cost of two comparisons each.
 */
void QR_part(idx n, double sigma, double *Qbar, double *pr, idx i0, idx i1, sweep_state *st)
{
    const idx m = order(n);
    if (i0 == 0) sweep_start(*st, 2, F);    /* stencil rows 0 and 1: (1) and (-2, 1) */
    factor_steps f = {m, sigma, Qbar, pr, st->period, {st->L[0], st->L[1], st->L[2]}};
    sweep_part<2>(m, i0, i1, *st, 0, f);
    for (int k = 0; k < 3; k++) st->L[k] = f.L[k];
}

void QR(idx n, double sigma, double *Qbar, double *pr)
{
    sweep_state st;
    QR_part(n, sigma, Qbar, pr, 0, order(n), &st);
}

} // namespace givqr
