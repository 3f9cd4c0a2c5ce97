/* givinv: the Octave gateway of y = givinv (Qbar, x), y = Q*x (layout as
 * in givinv_mex.cpp), with y built in Octave's own array */
#include "apply_oct.h"
#include "givinv_help.h"        /* made from givinv.m, the one text of the help */

DEFUN_DLD(givinv, args, nargout, givinv_help)
{
    return givqr::apply_oct(givqr::givinv_command, args, nargout);
}
