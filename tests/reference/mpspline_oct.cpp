/* mpspline: the cubic smoothing spline in high precision, from Octave (test equipment) */
#include <octave/oct.h>

#include "reference.h"

DEFUN_DLD(mpspline, args, nargout,
          "[g, c, h, edf] = mpspline (x, y, w, lambda, prec): the natural cubic\n"
          "spline f minimizing sum(w.*(y - f(x)).^2) + lambda*integral(f''^2), x\n"
          "increasing and w > 0, by Reinsch's system with prec bits: g = f(x),\n"
          "c = f''(x), the leverages h and edf = sum(h); each as [hi, lo], the\n"
          "value rounded to double and the rest.")
{
    if (args.length() != 5) print_usage();
    const ColumnVector x = args(0).column_vector_value(), y = args(1).column_vector_value(),
                       w = args(2).column_vector_value();
    const double lambda = args(3).double_value();
    const long prec = args(4).long_value();
    const octave_idx_type n = y.numel();
    if (n < 3 || x.numel() != n || w.numel() != n || !(lambda > 0) || prec < 64)
        error("mpspline: n >= 3, x and w like y, lambda > 0, prec >= 64");
    Matrix g(n, 2), c(n, 2), h(n, 2), edf(1, 2);
    double *gp = g.fortran_vec(), *cp = c.fortran_vec(), *hp = h.fortran_vec();
    const bool lev = nargout > 2;
    if (!reference::spline(n, 1 / std::sqrt(lambda), x.data(), y.data(), w.data(), prec, gp, gp + n, cp, cp + n,
                           lev ? hp : nullptr, lev ? hp + n : nullptr, lev ? edf.fortran_vec() : nullptr))
        error("mpspline: the system is singular at %ld bits", prec);
    return ovl(g, c, h, edf);
}
