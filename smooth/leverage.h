/* leverage.h: the leverages' recurrence, from the rotations of each column */
#ifndef GIVQR_LEVERAGE_H
#define GIVQR_LEVERAGE_H

#include "fp.h"

namespace givqr {

/*
 * The leverages h(i) = H(i,i), H = (W + D'*D/sigma^2)^(-1)*W the hat matrix,
 * and q(i) = 1 - h(i), each computed without the other, so that both are
 * accurate where they are small.  H(i,i) is entry (i,i) of the projector
 * Q*[0 0; 0 I]*Q' onto the residuals, so h(i) is the squared norm of the
 * part of Q'*[e(i); 0] in c2 and q(i) that of the part in c1.  Q' reaches
 * e(i) at column i-d, after which the replay carries a state of d numbers
 * (rows k..k+d-1) that column k maps linearly, state -> M(k)*state, writing
 * u(k)'*state to c1 and s0*state(1) to c2, and after the last column the
 * state itself to c2.  So with the d-by-d matrices G(m) = I, K(m) = 0 and,
 * for k = m-1 down to 0,
 *
 *      G(k) = s0^2*e1*e1' + M(k)'*G(k+1)*M(k)
 *      K(k) = u(k)*u(k)' + M(k)'*K(k+1)*M(k)
 *
 * h(k+d) = c(k)^2*G(k+1)(d,d), q(k+d) = s(k)^2 + c(k)^2*K(k+1)(d,d), (c, s)
 * the stencil rotation of column k, and h(0..d-1), q(0..d-1) are the
 * diagonals of G(0), K(0).
 *
 * M and u from the rotations of column k, with the fresh row 0: the weight
 * rotation writes s0*a(0) to c2; carry k makes row k-1 of M, s_k times what
 * row k holds of the running a(0) plus c_k*a(k); the stencil writes c_d
 * times the running a(0) to c1 and makes M's last row, s_d times it.  The
 * running a(0) holds c_k * ... * c_(j+1) * x_j of a(j), x_0 = c0, x_j =
 * -s_j; M's rows take their products from the left, u's from the right (for
 * d = 2 these are M = [s1*c0, c1; (s2*c1)*c0, s2*(-s1)] and u =
 * (c2*(c1*c0), c2*(-s1))).  G and K are kept as upper triangles, row by
 * row: G in g[0..N-1], K in g[N..2N-1], N = d(d+1)/2.  T is double, or
 * a vector of doubles whose lanes each take the same operations
 * (sweep/lane_steps.h).
 */
template <int d, class T = double>
struct leverage_recurrence {
    static constexpr int N = d * (d + 1) / 2;

    /* The place of (i, j), i <= j, in an upper triangle kept row by row. */
    static constexpr int at(int i, int j) { return i * d - i * (i - 1) / 2 + (j - i); }

    /* h(i+d) and q(i+d) from G(i+1), K(i+1) in g and the rotations r of column i. */
    GIVQR_STEP static void leverage(const T *r, const T *g, T &h, T &k)
    {
        const T c = r[2 * d], s = r[2 * d + 1];
        h = c * c * g[at(d - 1, d - 1)];
        k = s * s + c * c * g[N + at(d - 1, d - 1)];
    }

    /* X = M'*X*M for X symmetric, its upper triangle in x, in the order written */
    GIVQR_STEP static void congruence(const T M[d][d], T *x)
    {
        T A[d][d];             /* X*M */
        for (int i = 0; i < d; i++)
            for (int j = 0; j < d; j++) {
                T v = x[i <= 0 ? at(i, 0) : at(0, i)] * M[0][j];
                for (int k = 1; k < d; k++) v = v + x[i <= k ? at(i, k) : at(k, i)] * M[k][j];
                A[i][j] = v;
            }
        for (int i = 0; i < d; i++)
            for (int j = i; j < d; j++) {
                T v = M[0][i] * A[0][j];
                for (int k = 1; k < d; k++) v = v + M[k][i] * A[k][j];
                x[at(i, j)] = v;
            }
    }

    /* G(i), K(i) in g from G(i+1), K(i+1) and the rotations r of column i. */
    GIVQR_STEP static void recur(const T *r, T *g)
    {
        T M[d][d] = {}, alpha[d];
        alpha[0] = r[0];                                    /* x_0 = c0 */
        for (int j = 1; j < d; j++) alpha[j] = -r[2 * j + 1];   /* x_j = -s_j */
        for (int k = 1; k <= d; k++) {                      /* row k-1 of M */
            T gamma = r[2 * k + 1];
            for (int j = k - 1; j >= 0; j--) {
                M[k - 1][j] = gamma * alpha[j];
                if (j >= 1) gamma = gamma * r[2 * j];
            }
            if (k < d) M[k - 1][k] = r[2 * k];
        }
        /* the running a(0) from the right: alpha(j) = c_(d-1)*(...*(c_(j+1)*x_j)) */
        for (int j = 0; j < d - 1; j++)
            for (int k = j + 1; k < d; k++) alpha[j] = r[2 * k] * alpha[j];
        congruence(M, g);
        g[0] = g[0] + r[1] * r[1];
        congruence(M, g + N);
        T o[d];
        for (int j = 0; j < d; j++) o[j] = r[2 * d] * alpha[j];
        for (int i = 0; i < d; i++)
            for (int j = i; j < d; j++) g[N + at(i, j)] = g[N + at(i, j)] + o[i] * o[j];
    }
};

/*
 * The same recurrence for a step of any linear form on a state of s
 * numbers: given M (the state after from the state before) and the rows
 * u1 and u2 that the step writes to c1 and to c2,
 *
 *      G = u2*u2' + M'*G*M,    K = u1*u1' + M'*K*M
 *
 * (leverage_recurrence<s> for the places and the congruence).  The
 * smoothing spline's step (a bidiagonal lower block: the state is the d
 * rows and the lower block's row carried) finds M, u1 and u2 by making
 * itself on each unit state.
 */
template <int s>
GIVQR_STEP void recur_general(const double M[s][s], const double u1[s], const double u2[s], double *g)
{
    constexpr int N = s * (s + 1) / 2;
    leverage_recurrence<s>::congruence(M, g);
    leverage_recurrence<s>::congruence(M, g + N);
    for (int i = 0; i < s; i++)
        for (int j = i; j < s; j++) {
            g[leverage_recurrence<s>::at(i, j)] = g[leverage_recurrence<s>::at(i, j)] + u2[i] * u2[j];
            g[N + leverage_recurrence<s>::at(i, j)] = g[N + leverage_recurrence<s>::at(i, j)] + u1[i] * u1[j];
        }
}

} // namespace givqr

#endif
