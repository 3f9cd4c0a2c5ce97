/* mpref: the high-precision reference, from Octave (test equipment) */
#include <octave/oct.h>

#include "reference.h"

DEFUN_DLD(mpref, args, ,
          "[w, r] = mpref (n, sigma, b, prec): the solution w of min |A*w - b|,\n"
          "A = [D'; sigma*I], and r = b(1:n) - D'*w, computed with prec bits;\n"
          "each as [hi, lo], the value rounded to double and the rest.")
{
    if (args.length() != 4) print_usage();
    const octave_idx_type n = args(0).idx_type_value();
    const double sigma = args(1).double_value();
    const NDArray b = args(2).array_value();
    const long prec = args(3).long_value();
    if (n < 3 || b.numel() != 2 * n - 2 || prec < 64) error("mpref: n >= 3, numel (b) = 2n-2, prec >= 64");
    Matrix w(n - 2, 2), r(n, 2);
    double *wp = w.fortran_vec(), *rp = r.fortran_vec();
    if (!reference::solve(n, sigma, b.data(), prec, wp, wp + n - 2, rp, rp + n))
        error("mpref: D*D' is singular at %ld bits", prec);
    return ovl(w, r);
}
