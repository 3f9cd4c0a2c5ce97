/* apply_oct: check, create y, replay the table: the body of both Octave gateways */
#include "apply_oct.h"
#include "octarg.h"
#include "octalloc.h"

namespace givqr {

octave_value_list apply_oct(const command &c, const octave_value_list &args, int nargout)
{
    arg a[2];
    describe(args, a);
    idx n;
    if (const char *msg = apply_check(c, nargout, args.length(), a, &n))
        error("%s: %s", c.name, msg);

    /* real, full doubles: their data is used where it lies */
    const NDArray Qbar = args(0).array_value();
    const NDArray x = args(1).array_value();
    NDArray y = uninit_matrix(length(n), 1);

    c.f(n, Qbar.data(), x.data(), y.fortran_vec());
    return ovl(y);
}

} // namespace givqr
