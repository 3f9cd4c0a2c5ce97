/* arg.h: what the argument checks need to know of one input, whatever the host */
#ifndef GIVQR_ARG_H
#define GIVQR_ARG_H

#include "types.h"

namespace givqr {

struct arg {
    idx m;              /* rows */
    idx n;              /* columns, with any further dimensions folded in */
    bool real;          /* real numeric or logical: it has a real value */
    bool full_double;   /* real, full and double: its data is m*n doubles */
    double value;       /* its value, converted from its class, when real and 1-by-1 */
    bool matrix;        /* at most two dimensions */
    bool logical;
    /* what only givsmooth asks (its gateways' describe_text) */
    bool chars;         /* a char array */
    char text[48];      /* its characters where it is a row, the first 47 of a longer one */
    bool whole;         /* text holds them all, and no NUL among them */
};

/* The columns of an array with nd dimensions dim(0), dim(1), ...: the product
 * of dimensions 1.., held at PTRDIFF_MAX rather than wrapped, so that no
 * empty array can pass for a 6-column table. */
template <class Dim>
idx columns(int nd, Dim dim)
{
    idx n = 1;
    for (int k = 1; k < nd; k++) {
        const idx dk = dim(k);
        if (dk == 0) return 0;
        n = n > PTRDIFF_MAX / dk ? PTRDIFF_MAX : n * dk;
    }
    return n;
}

} // namespace givqr

#endif
