// transients: where the factorization's rows start to repeat, against sigma.
// For each sigma, the step from which the state the sweep carries repeats,
// and the period, at n = 2*10^6 (make bench writes the table to
// docs/benchmarks.md).
#include "QR.h"

#include <cstdio>
#include <vector>

int main()
{
    const givqr::idx n = 2000000, m = n - 2;
    std::vector<double> Qbar(6 * m), pr(givqr::R_nz(n));
    const double sigmas[] = {10, 1, 0.5, 0.1, 0.025, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 0, 4.9e-324};
    std::printf("| sigma | lambda | cycle from step | period |\n|---|---|---|---|\n");
    for (double sigma : sigmas) {
        givqr::QR_state st;
        givqr::QR_part(n, sigma, Qbar.data(), pr.data(), 0, m, &st);
        if (st.start < 0)
            std::printf("| %g | %s | never (n = %td) | - |\n", sigma, sigma == 0 ? "Inf" : "-", n);
        else
            std::printf("| %g | %.3g | %td | %td |\n", sigma, 1 / (sigma * sigma), st.start, st.period);
    }
    return 0;
}
