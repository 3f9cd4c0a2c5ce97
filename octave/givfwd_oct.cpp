/* givfwd: the Octave gateway of y = givfwd (Qbar, x), y = Q'*x (layout as
 * in givfwd_mex.cpp), with y built in Octave's own array */
#include "apply_oct.h"
#include "givfwd_help.h"        /* made from givfwd.m, the one text of the help */

DEFUN_DLD(givfwd, args, nargout, givfwd_help)
{
    return givqr::apply_oct(givqr::givfwd_command, args, nargout);
}
