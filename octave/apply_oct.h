/* apply_oct.h: the Octave gateway shared by givfwd and givinv */
#ifndef GIVQR_APPLY_OCT_H
#define GIVQR_APPLY_OCT_H

#include <octave/oct.h>

#include "apply_check.h"

namespace givqr {

/* Check, create y, call the command's kernel. */
octave_value_list apply_oct(const command &c, const octave_value_list &args, int nargout);

} // namespace givqr

#endif
