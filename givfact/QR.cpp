/* QR: Q'*[D'; sigma*I] = [R; 0] in one left-to-right sweep of Givens rotations */
#include "rotations.h"
#include "QR.h"

namespace givqr {

void QR_part(idx n, double sigma, double *Qbar, double *pr, idx i0, idx i1, double state[3])
{
    const idx m = order(n);
    double *c0 = Qbar, *s0 = Qbar + m;                  /* weight rotations */
    double *c1 = Qbar + 2 * m, *s1 = Qbar + 3 * m;      /* carry rotations */
    double *c2 = Qbar + 4 * m, *s2 = Qbar + 5 * m;      /* stencil rotations */

    /* Stencil row 0 is R(0,0) = 1.  Stencil row 1, (-2, 1), is the pending
     * row: w holds its column-0 entry, e its column-1 entry, R(1,1). */
    double d = 1.0;             /* R(i,i) */
    double e = 1.0;             /* R(i+1,i+1), what row i+1 of R has so far */
    double w = -2.0;            /* column-i entry of the pending row */
    if (i0 > 0) {
        d = state[0];
        e = state[1];
        w = state[2];
    }
    for (idx i = i0; i < i1; i++) {
        double c, s, t;
        double u = 0.0;         /* R(i,i+1) */
        double v = 0.0;         /* R(i,i+2) */
        double f = 0.0;         /* R(i+2,i+2) */

        /* merge sigma row i: sigma in column i */
        t = sigma;
        rotg(&d, &t, &c, &s);
        c0[i] = c;
        s0[i] = s;

        /* merge the pending row; its column i+1 splits between rows i, i+1 */
        rotg(&d, &w, &c, &s);
        c1[i] = c;
        s1[i] = s;
        if (i < m - 1) rot(&u, &e, c, s);

        /* merge stencil row i+2: (1, -2, 1) in columns i..i+2; what is left
         * of it, (w, f) in columns i+1, i+2, is the next pending row */
        t = 1.0;
        rotg(&d, &t, &c, &s);
        c2[i] = c;
        s2[i] = s;
        if (i < m - 1) {
            w = -2.0;
            rot(&u, &w, c, s);
        }
        if (i < m - 2) {
            f = 1.0;
            rot(&v, &f, c, s);
        }

        /* row i of R is final */
        pr[i == 0 ? 0 : 3 * i - 1] = d;
        if (i < m - 1) pr[3 * i + 1] = u;
        if (i < m - 2) pr[3 * i + 3] = v;
        d = e;
        e = f;
    }
    state[0] = d;
    state[1] = e;
    state[2] = w;
}

void QR(idx n, double sigma, double *Qbar, double *pr)
{
    double state[3];
    QR_part(n, sigma, Qbar, pr, 0, order(n), state);
}

} // namespace givqr
