/* cycle.h: where the state the sweep carries repeats itself */
#ifndef GIVQR_CYCLE_H
#define GIVQR_CYCLE_H

#include <cstdint>
#include <cstring>

#include "QR.h"
#include "QR_step.h"

namespace givqr {

/*
 * Inside (i < m-2) a step of the sweep is one function of the state it
 * starts from, (d, e, w), and sigma alone (QR_step).  So where that state
 * repeats bit for bit the state p steps before, every step after repeats
 * the step p before, up to step m-3; the last two steps, whose form
 * differs, start from the state step m-2 repeats.  Past a transient of some
 * rows (a few at sigma = 1, about 2*10^5 at 1e-8) the states repeat with
 * period 1, or 2 where the diagonal of R changes sign from row to row: so
 * for 294 of 300 sigmas from 1e-9 to 10 (bench/transients.cpp); the others
 * settle into longer periods (6, 14, 36, 78, 318, 21978 among those), and
 * some never repeat (sigma = 0).
 *
 * watch compares each state with those of the two steps before, and with
 * one kept at steps 1, 2, 4, 8, ... (Brent's cycle detection), so that a
 * longer period is found within twice the steps it takes to settle.  It
 * keeps the states as bits (+0.0 and -0.0 differ, a NaN equals itself) in
 * registers, loaded from and saved to the QR_state that parts pass on.
 */
struct watch {
    std::uint64_t a0, a1, a2;   /* the state at the start of step i-1 */
    std::uint64_t b0, b1, b2;   /* ... of step i-2 */
    std::uint64_t k0, k1, k2;   /* ... of step at */
    idx seen, at, next;

    static std::uint64_t bits(double x)
    {
        std::uint64_t b;
        std::memcpy(&b, &x, sizeof b);
        return b;
    }

    explicit watch(const QR_state &st)
        : a0(bits(st.prev[0][0])), a1(bits(st.prev[0][1])), a2(bits(st.prev[0][2])),
          b0(bits(st.prev[1][0])), b1(bits(st.prev[1][1])), b2(bits(st.prev[1][2])),
          k0(bits(st.kept[0])), k1(bits(st.kept[1])), k2(bits(st.kept[2])),
          seen(st.seen), at(st.at), next(st.next)
    {
    }

    /* Whether the state (d, e, w) at the start of step i repeats; if so,
     * st.start = i and st.period is the period.  Otherwise it is recorded. */
    bool repeats(idx i, idx m, double d, double e, double w, QR_state &st)
    {
        const std::uint64_t x0 = bits(d), x1 = bits(e), x2 = bits(w);
        if (i < m - 2 && seen > 0) {
            if (x0 == a0 && x1 == a1 && x2 == a2) st.period = 1;
            else if (seen > 1 && x0 == b0 && x1 == b1 && x2 == b2) st.period = 2;
            else if (at >= 0 && x0 == k0 && x1 == k1 && x2 == k2) st.period = i - at;
            if (st.period > 0) {
                st.start = i;
                return true;
            }
        }
        b0 = a0, b1 = a1, b2 = a2;
        a0 = x0, a1 = x1, a2 = x2;
        seen += seen < 2;
        if (i == next) {
            k0 = x0, k1 = x1, k2 = x2;
            at = i;
            next = 2 * i + 1;
        }
        return false;
    }

    void save(QR_state &st) const
    {
        const std::uint64_t a[3] = {a0, a1, a2}, b[3] = {b0, b1, b2}, k[3] = {k0, k1, k2};
        std::memcpy(st.prev[0], a, sizeof a);
        std::memcpy(st.prev[1], b, sizeof b);
        std::memcpy(st.kept, k, sizeof k);
        st.seen = seen;
        st.at = at;
        st.next = next;
    }
};

/* Before step m-2, once the cycle has run to it: the state that step
 * repeats, from the cycle's first state (in d, e, w since) by as many steps
 * as m-2 lies past a whole number of periods. */
inline void cycle_end(const QR_state &st, idx m, double sigma, double rho, double &d, double &e, double &w)
{
    for (idx k = (m - 2 - st.start) % st.period; k > 0; k--) {
        double q[6], r[3];
        QR_step(sigma, rho, true, true, d, e, w, q, r);
    }
}

/* Starts the sweep: stencil row 0 is R(0,0) = 1; stencil row 1, (-2, 1), is
 * the pending row, w its column-0 entry and e its column-1 entry, R(1,1);
 * rows 0 and 1 scaled by rho0, rho1 (QR_step). */
inline void QR_start(QR_state &st, double rho0, double rho1)
{
    st.d = rho0;
    st.e = rho1;
    st.w = -2.0 * rho1;
    st.seen = 0;
    st.at = -1;
    st.next = 0;
    st.start = -1;
    st.period = 0;
}

} // namespace givqr

#endif
