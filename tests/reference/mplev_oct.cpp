/* mplev: the leverages of smoothing in high precision, from Octave (test equipment) */
#include <octave/oct.h>

#include "reference.h"

DEFUN_DLD(mplev, args, ,
          "[h, q, sums] = mplev (n, sigma, prec): the diagonal h of the hat matrix\n"
          "(I + D'*D/sigma^2)^(-1) and q = 1 - h, computed with prec bits;\n"
          "each as [hi, lo], the value rounded to double and the rest; sums is\n"
          "[sum(h); sum(q)] likewise.")
{
    if (args.length() != 3) print_usage();
    const octave_idx_type n = args(0).idx_type_value();
    const double sigma = args(1).double_value();
    const long prec = args(2).long_value();
    if (n < 3 || prec < 64) error("mplev: n >= 3, prec >= 64");
    Matrix h(n, 2), q(n, 2), sums(2, 2);
    double *hp = h.fortran_vec(), *qp = q.fortran_vec(), s[4];
    if (!reference::leverages(n, sigma, prec, hp, hp + n, qp, qp + n, s))
        error("mplev: D*D' is singular at %ld bits", prec);
    sums(0, 0) = s[0], sums(0, 1) = s[1], sums(1, 0) = s[2], sums(1, 1) = s[3];
    return ovl(h, q, sums);
}
