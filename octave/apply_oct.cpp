/* apply_oct: check, create y, replay the table: the body of both Octave gateways */
#include "apply_oct.h"
#include "octglue.h"
#include "octalloc.h"

#include <algorithm>
#include <new>

namespace givqr {

octave_value_list apply_oct(const command &c, const octave_value_list &args, int nargout)
{
    arg a[2];
    describe(args, a, 2);
    idx n;
    if (const failure *f = apply_check(c, nargout, args.length(), a, &n)) fail(c.name, *f);

    /* real, full doubles: their data is used where it lies */
    const NDArray Qbar = args(0).array_value();
    const NDArray x = args(1).array_value();
    NDArray y;
    try {
        y = uninit_matrix(length(n), 1);
    } catch (const std::bad_alloc &) {
        out_of_memory(c.name, "y needs", 8.0 * static_cast<double>(length(n)));
    }

    /* in parts, with Octave's interrupt checked between them */
    const idx m = order(n);
    double *py = y.fortran_vec(), carry[2];
    for (idx k0 = 0; k0 < m; k0 += part_steps) {
        c.p(n, Qbar.data(), x.data(), py, k0, std::min(m, k0 + part_steps), carry);
        octave_quit();
    }
    return ovl(y);
}

} // namespace givqr
