/* phases.h: the phases of a sweep, and of every replay of the rows it makes, walked once */
#ifndef GIVQR_PHASES_H
#define GIVQR_PHASES_H

#include "cycle.h"
#include "table.h"

namespace givqr {

/*
 * A sweep of m steps, and each replay of the rows it makes, falls into three
 * phases:
 *
 *      steps 0 .. s-1          the transient: each step's row its own
 *      steps s .. m-d-1        the cycle: step i repeats row s-p + (i-s) mod p
 *      steps m-d .. m-1        the last d, whose form differs
 *
 * (s = m where the rows never repeat).  The drivers below walk the phases
 * and hand each step to an object f, which holds what the step needs and
 * does it; only the drivers know which row a step takes.  Within the cycle
 * the rows of periods 1 and 2 are held in registers, rows s-p and s-1 in
 * slots 0 and 1, and the steps go two at a time:
 *
 *      f.hold (j, row)         copies row j into row (F::width numbers)
 *      f.again (i, row, k)     step i with the row held in slot k
 *      f.again_at (i, j)       step i with row j where it lies: longer
 *                              periods, and outside the cycle (j = i)
 *      f.cycled (from, next)   after the cycle's steps from `from` on, up
 *                              or down, `next` the step that comes next
 */

/* Steps i .. end-1 of the cycle of period p from step s. */
template <class F>
GIVQR_STEP idx cycle_up(idx s, idx p, idx i, idx end, F &f)
{
    const idx from = i;
    if (p > 2) {
        for (idx j = s - p + (i - s) % p; i < end; i++) {
            f.again_at(i, j);
            if (++j == s) j = s - p;
        }
    } else if (i < end) {
        double q[2][F::width];
        f.hold(s - p, q[0]);
        f.hold(s - 1, q[1]);
        if (p == 1) {
            for (; i + 1 < end; i += 2) {
                f.again(i, q[1], 1);
                f.again(i + 1, q[1], 1);
            }
            if (i < end) f.again(i++, q[1], 1);
        } else {
            if ((i - s) % 2 == 1) f.again(i++, q[1], 1);
            for (; i + 1 < end; i += 2) {
                f.again(i, q[0], 0);
                f.again(i + 1, q[1], 1);
            }
            if (i < end) f.again(i++, q[0], 0);
        }
    }
    f.cycled(from, i);
    return i;
}

/* Steps i, i-1, .. end of the cycle of period p from step s, downwards. */
template <class F>
GIVQR_STEP idx cycle_down(idx s, idx p, idx i, idx end, F &f)
{
    const idx from = i;
    if (p > 2) {
        for (idx j = s - p + (i - s) % p; i >= end; i--) {
            f.again_at(i, j);
            if (j-- == s - p) j = s - 1;
        }
    } else if (i >= end) {
        double q[2][F::width];
        f.hold(s - p, q[0]);
        f.hold(s - 1, q[1]);
        if (p == 1) {
            for (; i - 1 >= end; i -= 2) {
                f.again(i, q[1], 1);
                f.again(i - 1, q[1], 1);
            }
            if (i >= end) f.again(i--, q[1], 1);
        } else {
            if ((i - s) % 2 == 0) f.again(i--, q[0], 0);
            for (; i - 1 >= end; i -= 2) {
                f.again(i, q[1], 1);
                f.again(i - 1, q[0], 0);
            }
            if (i >= end) f.again(i--, q[1], 1);
        }
    }
    f.cycled(from, i);
    return i;
}

/*
 * Steps i0 <= i < i1 of a sweep of m steps of order d, whose state at the
 * start of each step is f.L, F::state numbers: f.compute (i) makes step i.  From step `from`
 * on (m: never) the state is compared with those before it; once it
 * repeats, f.found (s, p) is told, the steps up to m-d-1 repeat their rows
 * (cycle_up), and f.cycle_end (st) brings L to the state step m-d starts
 * from; f.last (i) makes the last d steps, those past the cycle.  Run the parts in order from i0 = 0,
 * with the same st.
 */
template <int d, class F>
GIVQR_STEP void sweep_part(idx m, idx i0, idx i1, sweep_state &st, idx from, F &f)
{
    idx i = i0;
    if (st.start < 0) {
        cycle_detector<d, F::state> det(st, i);
        for (; i < i1 && !(i >= from && det.repeats(i, m, f.L)); i++) f.compute(i);
        det.save();
        if (st.start >= 0) f.found(st.start, st.period);
    }
    if (st.start >= 0 && i < i1 && i < m - d) {
        i = cycle_up(st.start, st.period, i, i1 < m - d ? i1 : m - d, f);
        if (i == m - d) f.cycle_end(st);
    }
    for (; i < i1; i++) f.last(i);      /* only past a cycle: else the transient ran to i1 */
}

/* Steps i0 <= i < i1 of the replay of the rows t keeps, in their order. */
template <class F>
GIVQR_STEP void replay_up(const table &t, idx i0, idx i1, F &f)
{
    idx i = i0;
    for (; i < i1 && i < t.s; i++) f.again_at(i, i);
    if (i < i1 && i < t.m - t.d) i = cycle_up(t.s, t.p, i, i1 < t.m - t.d ? i1 : t.m - t.d, f);
    for (; i < i1; i++) f.again_at(i, i);
}

/* Steps k0 <= k < k1 of the replay of the rows t keeps from the last to the
 * first: step k takes row m-1-k. */
template <class F>
GIVQR_STEP void replay_down(const table &t, idx k0, idx k1, F &f)
{
    idx i = t.m - 1 - k0;
    const idx stop = t.m - k1;
    for (; i >= stop && i >= t.m - t.d; i--) f.again_at(i, i);
    if (i >= stop && i >= t.s) i = cycle_down(t.s, t.p, i, stop > t.s ? stop : t.s, f);
    for (; i >= stop; i--) f.again_at(i, i);
}

} // namespace givqr

#endif
