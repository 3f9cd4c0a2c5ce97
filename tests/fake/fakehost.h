/* fakehost.h: make arrays and call gateways without MATLAB or Octave */
#ifndef GIVQR_FAKEHOST_H
#define GIVQR_FAKEHOST_H

#include "mex.h"

#include <string>
#include <utility>
#include <vector>

namespace fake {

typedef void gateway(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

/* A full array of any class and shape.  Real (and imaginary) data are zero;
 * numeric data is written through data(). */
mxArray *make(mxClassID cls, const std::vector<mwSize> &dims, bool complex = false);
mxArray *matrix(mwSize m, mwSize n, const std::vector<double> &values);  /* column-major */
mxArray *scalar(double v);
mxArray *text(const std::string &s);     /* a char row */
/* An m-by-n real double sparse matrix holding the given entries of a full
 * column-major matrix that are nonzero. */
mxArray *sparse(mwSize m, mwSize n, const std::vector<double> &values);
void *data(mxArray *a);                 /* real data, of the array's own class */
void *imag(mxArray *a);                 /* imaginary data, of a complex array */
size_t bytes(const mxArray *a);         /* its size in bytes */
void destroy(mxArray *a);
long live();                            /* arrays made and not yet destroyed */

/* An array written as Octave would write it, in a few of its forms:
 * numbers (NaN, Inf), [..] with , or spaces between the elements and ;
 * between the rows (a:b and a:s:b among them, ' after it transposes), a
 * string in single quotes, {} and {a, ...} (a cell of that many), struct (),
 * true, false; zeros, ones and NaN (m[, n[, k]]); single, int8, uint8,
 * int16, int32, int64, logical, char, sparse, num2cell (a), complex (a[, b])
 * (b the imaginary part); and the names of vars, each standing for its own
 * text.  Within brackets a call takes its ( at once, as in Octave. */
typedef std::vector<std::pair<std::string, std::string>> variables;
mxArray *parse(const std::string &text, const variables &vars = {});

/* What mexErrMsgTxt and mexErrMsgIdAndTxt throw, and call catches. */
struct host_error {
    std::string text;
};

/* Runs a gateway as the host does.  Returns "" on success, or the text given
 * to mexErrMsgTxt, in which case every array the call made is destroyed and
 * plhs is left as it was. */
std::string call(gateway *g, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

/* What a fresh full array holds before the caller writes it (a NaN whose bits
 * no computation makes), so tests can see what was never written. */
extern const double poison;

/* Outputs larger than this many bytes end the call with an out-of-memory error. */
extern size_t memory_limit;
/* What maxNumCompThreads answers. */
extern int threads;
/* The identifier and text of the last warning (mexWarnMsgIdAndTxt). */
extern std::string warning_id, warning_text;
bool is_poison(double v);

} // namespace fake

#endif
