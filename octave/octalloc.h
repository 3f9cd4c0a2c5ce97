/* octalloc.h: Octave arrays for the kernels to fill, neither zeroed nor copied */
#ifndef GIVQR_OCTALLOC_H
#define GIVQR_OCTALLOC_H

#include <octave/oct.h>

#include <memory>

#include "pages.h"
#include "types.h"

namespace givqr {

/* The allocator an Octave array type frees its data with: Array<T, A> and
 * Sparse<T, A> take it as their last template argument, which is
 * std::pmr::polymorphic_allocator<T> where Octave was configured with
 * OCTAVE_HAVE_STD_PMR_POLYMORPHIC_ALLOCATOR and std::allocator<T> otherwise. */
template <class C>
struct allocator_of;
template <template <class, class> class C, class T, class A>
struct allocator_of<C<T, A>> {
    typedef A type;
};

/* n uninitialised elements of T from the allocator A (rebound to T), held
 * here until an array takes them, with the allocator that must free them. */
template <class A, class T>
class block {
    typedef typename std::allocator_traits<A>::template rebind_alloc<T> alloc;
public:
    block(const A &a, idx n) : a_(a), n_(n), p_(std::allocator_traits<alloc>::allocate(a_, n))
    {
        huge_pages(p_, n * sizeof(T));
    }
    ~block() { if (p_) std::allocator_traits<alloc>::deallocate(a_, p_, n_); }
    block(const block &) = delete;
    block &operator=(const block &) = delete;
    T *release() { T *p = p_; p_ = nullptr; return p; }
private:
    alloc a_;
    idx n_;
    T *p_;
};

/* An m-by-n double matrix whose data the caller writes in full. */
inline NDArray uninit_matrix(idx m, idx n)
{
    typedef allocator_of<Array<double>>::type A;
    const A a;
    block<A, double> d(a, m * n);
    return NDArray(Array<double>(d.release(), dim_vector(m, n), a));
}

/* An m-by-n sparse matrix with room for nz entries; the caller writes its
 * column starts (n+1), row indices and values (nz each) in full.  The row
 * indices and column starts come from the same allocator, rebound, as Octave's
 * Sparse frees them with. */
inline SparseMatrix uninit_sparse(idx m, idx n, idx nz)
{
    typedef allocator_of<Sparse<double>>::type A;
    const A a;
    block<A, double> d(a, nz);
    block<A, octave_idx_type> r(a, nz), c(a, n + 1);
    return SparseMatrix(Sparse<double>(dim_vector(m, n), nz, d.release(), r.release(), c.release(), a));
}

} // namespace givqr

#endif
