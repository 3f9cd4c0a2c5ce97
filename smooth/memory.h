/* memory.h: the kernels' working memory, taken whole and not cleared */
#ifndef GIVQR_MEMORY_H
#define GIVQR_MEMORY_H

#include "pages.h"
#include "types.h"

#include <algorithm>
#include <memory>

namespace givqr {

/* For the tests alone: where set, every reserve fills what it hands out
 * with this value, so that a read of what a kernel never wrote shows. */
inline bool fill_reserved = false;
inline double reserved_fill = 0.0;

/* Memory for up to capacity doubles, taken whole and not cleared, with huge
 * pages asked for: only what is written takes memory (the system maps a page
 * at its first write), and few page faults. */
struct memory {
    std::unique_ptr<double[]> p;
    idx capacity = 0;

    double *reserve(idx count)
    {
        if (count > capacity) {
            p.reset();
            p.reset(new double[count]);
            huge_pages(p.get(), count * sizeof(double));
            capacity = count;
        }
        if (fill_reserved) std::fill(p.get(), p.get() + count, reserved_fill);
        return p.get();
    }
};

} // namespace givqr

#endif
