/* smooth_oct.h: what the oct-files of givsmooth and givspline share: their outputs, the info, the warnings */
#ifndef GIVQR_SMOOTH_OCT_H
#define GIVQR_SMOOTH_OCT_H

#include <octave/oct.h>

#include <new>
#include <vector>

#include "octglue.h"
#include "octalloc.h"
#include "givsmooth.h"

namespace givqr {

/* z (rows-by-cols) and, where the info is asked for, its fields (per point
 * rows-by-cols, per series 1-by-k; the robust fits' too where c is
 * robust), in Octave's own arrays, uninitialised; what the edf search
 * missed and the columns that cannot be smoothed; out pointing to all. */
struct smooth_outputs {
    NDArray z, field[robust_info_count];
    std::vector<edf_miss> missed;
    std::vector<unsigned char> unobserved;
    int fields = 0;
    smooth_out out = {nullptr};

    smooth_outputs(const char *cmd, const smooth_call &c, idx rows, idx cols, bool info)
    {
        fields = !info ? 0 : c.robust ? robust_info_count : info_count;
        try {
            if (c.edf > 0.0) missed.resize(c.k);
            unobserved.assign(c.k, 0);
            z = uninit_matrix(rows, cols);
            for (int f = 0; f < fields; f++)
                field[f] = info_fields[f].per_point ? uninit_matrix(rows, cols) : uninit_matrix(1, c.k);
        } catch (const std::bad_alloc &) {
            out_of_memory(cmd, "its outputs need", 8.0 * double(c.n) * double(c.k) * (info ? 3 + c.robust : 1));
        }
        out.z = z.fortran_vec();
        out.info = info;
        out.missed = c.edf > 0.0 ? missed.data() : nullptr;
        out.unobserved = unobserved.data();
        for (int f = 0; f < fields; f++) out.*(info_fields[f].to) = field[f].fortran_vec();
    }
    octave_scalar_map info() const
    {
        octave_scalar_map s;
        for (int f = 0; f < fields; f++) s.assign(info_fields[f].name, field[f]);
        return s;
    }
};

/* The warnings of cmd's call c, where out gives any. */
inline void warnings(const char *cmd, const smooth_call &c, const smooth_out &out)
{
    char text[512], id[64];
    if (edf_warning(c, out, text, sizeof text))
        warning_with_id(identifier(id, cmd, failure{GIVQR_EDF_MISSED_KEY, ""}), "%s: %s", cmd, text);
    if (unobserved_warning(c, out, text, sizeof text))
        warning_with_id(identifier(id, cmd, failure{GIVQR_UNOBSERVED_KEY, ""}), "%s: %s", cmd, text);
}

} // namespace givqr

#endif
