/* arg.h: what the argument checks need to know of one input, whatever the host */
#ifndef GIVQR_ARG_H
#define GIVQR_ARG_H

#include "rotations.h"

namespace givqr {

struct arg {
    idx m;              /* rows */
    idx n;              /* columns, with any further dimensions folded in */
    bool real;          /* real numeric or logical: it has a real value */
    bool full_double;   /* real, full and double: its data is m*n doubles */
    double value;       /* its value, converted from its class, when real and 1-by-1 */
};

} // namespace givqr

#endif
