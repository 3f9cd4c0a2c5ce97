/* layout.h: the stacked matrix A = [D'; sigma*I] of givfact, its rows, and the table Qbar */
#ifndef GIVQR_LAYOUT_H
#define GIVQR_LAYOUT_H

#include "types.h"

namespace givqr {

/*
 * For a problem size n >= 3 and m = n-2:
 *
 *      A = [ D' ; sigma*I ],   (2n-2)-by-m,
 *
 * D the m-by-n second difference matrix, row j = (1,-2,1) in columns j..j+2.
 * Rows 0..n-1 of A (and of every vector of length 2n-2) are the stencil rows
 * D', rows n..n+m-1 the sigma rows.  Q'*A = [R ; 0] with Q' the product of
 * 3m rotations, for column i = 0..m-1 in this order:
 *
 *      weight  rotation on rows (i, n+i)   (Qbar(i,0), Qbar(i,1))
 *      carry   rotation on rows (i, i+1)   (Qbar(i,2), Qbar(i,3))
 *      stencil rotation on rows (i, i+2)   (Qbar(i,4), Qbar(i,5))
 *
 * Qbar is m-by-6, column-major: Qbar(i,k) is Qbar[k*m+i].  Nothing else is
 * stored; n is the number of rows of Qbar plus 2.
 *
 * R is m-by-m upper triangular with nonzeros on the diagonal and the first two
 * superdiagonals only, stored in compressed sparse columns:
 *
 *      column 0 holds row 0, column 1 rows 0..1, column j >= 2 rows j-2..j;
 *      jc = (0, 1, 3, 6, ..., 3j-3, ..., R_nz),  R_nz = 3m-3 (1 if m = 1);
 *      ir = (0, 0,1, 0,1,2, 1,2,3, ...).
 *
 * So R(k,k) is pr[3k-1] (pr[0] for k = 0), R(k,k+1) is pr[3k+1] and R(k,k+2)
 * is pr[3k+3].  Every slot is stored, also where its value is exactly zero.
 */
inline idx order(idx n) { return n - 2; }         /* m: columns of A, rows of Qbar */
inline idx length(idx n) { return 2 * n - 2; }    /* rows of A, length of x and y */
inline idx R_nz(idx n) { return n == 3 ? 1 : 3 * n - 9; }   /* stored entries of R */

} // namespace givqr

#endif
