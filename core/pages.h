/* pages.h: ask for huge pages under a large output before it is first written */
#ifndef GIVQR_PAGES_H
#define GIVQR_PAGES_H

#include <cstddef>
#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace givqr {

/* The kernels write their outputs once, front to back.  Fresh memory costs a
 * page fault every 4 KiB at the first write, which at large n takes longer
 * than the arithmetic; with transparent huge pages it costs one every 2 MiB.
 * Only the 2 MiB-aligned interior of [p, p+bytes) is advised, so no memory
 * outside the array is touched.  A hint: where it is not honoured, nothing
 * changes but the time. */
inline void huge_pages(void *p, std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const std::uintptr_t huge = std::uintptr_t(1) << 21;
    if (bytes < 2 * huge) return;
    const std::uintptr_t a = (reinterpret_cast<std::uintptr_t>(p) + huge - 1) & ~(huge - 1);
    const std::uintptr_t e = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(huge - 1);
    if (e > a) madvise(reinterpret_cast<void *>(a), e - a, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

} // namespace givqr

#endif
