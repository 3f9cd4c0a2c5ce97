/* cycle.h: the state the sweep carries, and where it repeats itself */
#ifndef GIVQR_CYCLE_H
#define GIVQR_CYCLE_H

#include <cstdint>
#include <cstring>

#include "step.h"

namespace givqr {

/* What the sweep carries from one part to the next: the state L of QR_step,
 * the states it is compared with (cycle_detector), and, once the states
 * repeat, where and with what period.  Order d uses the first d(d+1)/2
 * numbers of each state. */
struct sweep_state {
    double L[state_max];
    double prev[2][state_max];  /* the state at the start of step j, j = i-1, i-2, in prev[j % 2] */
    double kept[state_max];     /* ... of step at */
    idx seen;                   /* steps whose start state is in prev (at most 2) */
    idx at, next;               /* the step of kept, and the next step to keep */
    idx start;                  /* the first step of the cycle, or -1 */
    idx period;
};

/*
 * Inside (i < m-d) a step of the sweep is one function of the state it
 * starts from, L, sigma and the stencil row it meets (QR_step), which for
 * givfact, and for givsmooth with equal spacing and weights that no longer
 * change, is the same at every step.  So where that state repeats bit for
 * bit the state p steps before, every step after repeats the step p before,
 * up to step m-d-1; the last d steps, whose form differs, start from the
 * state step m-d repeats.  Past a transient of some rows (a few at sigma =
 * 1, about 2*10^5 at 1e-8 for d = 2) the states repeat with period 1, or 2
 * where the diagonal of R changes sign from row to row: so for 294 of 300
 * sigmas from 1e-9 to 10 at d = 2 (bench/transients.cpp, which measures
 * every order); the others settle into longer periods (6, 14, 36, 78, 318,
 * 21978 among those), and some never repeat (sigma = 0).
 *
 * The detector compares each state with those of the two steps before, and
 * with one kept at steps 1, 2, 4, 8, ... (Brent's cycle detection), so that
 * a longer period is found within twice the steps it takes to settle.  It
 * compares states as bits (+0.0 and -0.0 differ, a NaN equals itself),
 * first by a hash of their bits held in registers, then, where the hashes
 * agree, in full; the states themselves it only writes, step by step, into
 * the sweep_state that parts pass on, and reads on such a match.
 */
template <int d, int N = d * (d + 1) / 2>
struct cycle_detector {         /* of order d, the state N numbers */
    sweep_state &st;            /* the states themselves: step j's in st.prev[j % 2], step at's in st.kept */
    std::uint64_t h1, h2, hk;   /* the hashes of the states of steps i-1, i-2 and at */
    idx seen, at, next;

    static std::uint64_t bits(double x)
    {
        std::uint64_t u;
        std::memcpy(&u, &x, sizeof u);
        return u;
    }

    static std::uint64_t hash(const double *x)
    {
        std::uint64_t h = 0;
        for (int j = 0; j < N; j++) h = (h ^ bits(x[j])) * 0x9e3779b97f4a7c15ULL;
        return h;
    }

    static bool equal(const double *x, const double *y)
    {
        bool e = true;
        for (int j = 0; j < N; j++) e = e && bits(x[j]) == bits(y[j]);
        return e;
    }

    /* from state at step i (where the parts meet) */
    cycle_detector(sweep_state &state, idx i)
        : st(state), h1(hash(state.prev[(i + 1) % 2])), h2(hash(state.prev[i % 2])), hk(hash(state.kept)),
          seen(state.seen), at(state.at), next(state.next)
    {
    }

    /* Whether the state L at the start of step i repeats; if so, st.start =
     * i and st.period is the period.  Otherwise it is recorded. */
    bool repeats(idx i, idx m, const double *L)
    {
        const std::uint64_t h = hash(L);
        if (i < m - d && seen > 0) {
            idx p = 0;
            if (h == h1 && equal(L, st.prev[(i + 1) % 2])) p = 1;
            else if (seen > 1 && h == h2 && equal(L, st.prev[i % 2])) p = 2;
            else if (at >= 0 && h == hk && equal(L, st.kept)) p = i - at;
            if (p > 0) {
                st.start = i;
                st.period = p;
                return true;
            }
        }
        double *to = st.prev[i % 2];
        for (int j = 0; j < N; j++) to[j] = L[j];
        h2 = h1;
        h1 = h;
        seen += seen < 2;
        if (i == next) {
            for (int j = 0; j < N; j++) st.kept[j] = L[j];
            hk = h;
            at = i;
            next = 2 * i + 1;
        }
        return false;
    }

    void save() const
    {
        st.seen = seen;
        st.at = at;
        st.next = next;
    }
};

/* Before step m-d, once the cycle has run to it: the state that step
 * repeats, from the cycle's first state (in L since) by as many steps as
 * m-d lies past a whole number of periods, each made by step () as in the
 * cycle (order d). */
template <class Step>
inline void cycle_end(const sweep_state &st, idx m, int d, Step step)
{
    for (idx k = (m - d - st.start) % st.period; k > 0; k--) step();
}

/* Starts the sweep: L(k,l), the entry of stencil row k in column l < d,
 * is rho(k)*D(l,k), given in S(k,l) (S(k,l) = L(k,l) for rho = 1); states
 * are kept from step `from` on. */
inline void sweep_start(sweep_state &st, int d, const double *S, idx from = 0)
{
    for (int j = 0; j < state_max; j++) {
        st.L[j] = j < d * (d + 1) / 2 ? S[j] : 0.0;
        st.prev[0][j] = st.prev[1][j] = st.kept[j] = 0.0;
    }
    st.seen = 0;
    st.at = -1;
    st.next = from;
    st.start = -1;
    st.period = 0;
}

} // namespace givqr

#endif
