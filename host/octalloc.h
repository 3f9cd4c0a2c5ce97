/* octalloc.h: Octave arrays for the kernels to fill, neither zeroed nor copied */
#ifndef GIVQR_OCTALLOC_H
#define GIVQR_OCTALLOC_H

#include <octave/oct.h>

#include <memory>

#include "pages.h"
#include "rotations.h"

namespace givqr {

/* n uninitialised elements from the allocator Octave's arrays free with,
 * held here until an array takes them. */
template <class T>
class block {
public:
    explicit block(idx n) : n_(n), p_(std::allocator<T>().allocate(n)) { huge_pages(p_, n * sizeof(T)); }
    ~block() { if (p_) std::allocator<T>().deallocate(p_, n_); }
    block(const block &) = delete;
    block &operator=(const block &) = delete;
    T *release() { T *p = p_; p_ = nullptr; return p; }
private:
    idx n_;
    T *p_;
};

/* An m-by-n double matrix whose data the caller writes in full. */
inline NDArray uninit_matrix(idx m, idx n)
{
    block<double> d(m * n);
    return NDArray(Array<double>(d.release(), dim_vector(m, n)));
}

/* An m-by-n sparse matrix with room for nz entries; the caller writes its
 * column starts (n+1), row indices and values (nz each) in full. */
inline SparseMatrix uninit_sparse(idx m, idx n, idx nz)
{
    block<double> d(nz);
    block<octave_idx_type> r(nz), c(n + 1);
    return SparseMatrix(Sparse<double>(dim_vector(m, n), nz, d.release(), r.release(), c.release()));
}

} // namespace givqr

#endif
