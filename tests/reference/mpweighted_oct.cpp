/* mpweighted: the weighted smooth and its leverages in high precision, from Octave (test equipment) */
#include <octave/oct.h>

#include "reference.h"

DEFUN_DLD(mpweighted, args, ,
          "[z, h, edf, more] = mpweighted (y, w, sigma, prec, d, t, rounded): the z that\n"
          "minimizes sum(w.*(z - y).^2) + |D*z|^2/sigma^2 (y not read where w is\n"
          "0), D the d-th divided differences of the times t (d = 2 and 1:n where\n"
          "not given), the leverages h = diag((W + D'*D/sigma^2)^(-1)*W), edf =\n"
          "sum(h), and more = [log det(W + D'*D/sigma^2); sum(w.*(y - z).^2);\n"
          "|D*z|^2], computed with prec bits; each as [hi, lo], the value rounded\n"
          "to double and the rest.  rounded true: D's rows as double arithmetic\n"
          "makes them from t, the rest exact.")
{
    const int nargs = args.length();
    if (nargs < 4 || nargs > 7) print_usage();
    const ColumnVector y = args(0).column_vector_value(), w = args(1).column_vector_value();
    const double sigma = args(2).double_value();
    const long prec = args(3).long_value();
    const int d = nargs > 4 ? args(4).int_value() : 2;
    const ColumnVector t = nargs > 5 ? args(5).column_vector_value() : ColumnVector();
    const octave_idx_type n = y.numel();
    const bool rounded = nargs > 6 && args(6).bool_value();
    if (n <= d || d < 1 || d > 8 || w.numel() != n || prec < 64 || (nargs > 5 && t.numel() != n && t.numel() != 0))
        error("mpweighted: n > d >= 1, w and t like y, prec >= 64");
    Matrix z(n, 2), h(n, 2), edf(1, 2), more(3, 2);
    double *zp = z.fortran_vec(), *hp = h.fortran_vec(), m[6];
    if (!reference::weighted(n, sigma, y.data(), w.data(), prec, zp, zp + n, hp, hp + n, edf.fortran_vec(), d,
                             nargs > 5 && t.numel() ? t.data() : nullptr, m, rounded))
        error("mpweighted: W + D'*D/sigma^2 is singular at %ld bits", prec);
    for (int k = 0; k < 3; k++) more(k, 0) = m[2 * k], more(k, 1) = m[2 * k + 1];
    return ovl(z, h, edf, more);
}
