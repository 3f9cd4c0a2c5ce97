/* mpweighted: the weighted smooth and its leverages in high precision, from Octave (test equipment) */
#include <octave/oct.h>

#include "reference.h"

DEFUN_DLD(mpweighted, args, ,
          "[z, h, edf] = mpweighted (y, w, sigma, prec): the z that minimizes\n"
          "sum(w.*(z - y).^2) + |D*z|^2/sigma^2 (y not read where w is 0), the\n"
          "leverages h = diag((W + D'*D/sigma^2)^(-1)*W) and edf = sum(h),\n"
          "computed with prec bits; each as [hi, lo], the value rounded to double\n"
          "and the rest.")
{
    if (args.length() != 4) print_usage();
    const ColumnVector y = args(0).column_vector_value(), w = args(1).column_vector_value();
    const double sigma = args(2).double_value();
    const long prec = args(3).long_value();
    const octave_idx_type n = y.numel();
    if (n < 3 || w.numel() != n || prec < 64) error("mpweighted: n >= 3, w like y, prec >= 64");
    Matrix z(n, 2), h(n, 2), edf(1, 2);
    double *zp = z.fortran_vec(), *hp = h.fortran_vec();
    if (!reference::weighted(n, sigma, y.data(), w.data(), prec, zp, zp + n, hp, hp + n, edf.fortran_vec()))
        error("mpweighted: W + D'*D/sigma^2 is singular at %ld bits", prec);
    return ovl(z, h, edf);
}
