/* octarg.h: describe an Octave value for the argument checks */
#ifndef GIVQR_OCTARG_H
#define GIVQR_OCTARG_H

#include <octave/oct.h>

#include "arg.h"

namespace givqr {

inline arg describe(const octave_value &v)
{
    arg d;
    const dim_vector dims = v.dims();
    d.m = dims(0);
    d.n = columns(dims.ndims(), [&dims](int k) { return static_cast<idx>(dims(k)); });
    d.real = (v.isnumeric() || v.islogical()) && !v.iscomplex();
    d.full_double = d.real && v.is_double_type() && !v.issparse();
    d.value = d.real && d.m == 1 && d.n == 1 ? v.double_value() : 0.0;
    return d;
}

/* Describes the first (at most) two arguments. */
inline void describe(const octave_value_list &args, arg a[2])
{
    for (int k = 0; k < args.length() && k < 2; k++) a[k] = describe(args(k));
}

} // namespace givqr

#endif
