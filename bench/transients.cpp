// transients: where the factorization's rows start to repeat, against sigma,
// at n = 2*10^6: for each sigma of a table, the step from which the state
// the sweep carries repeats, and the period; then how the periods of 300
// sigmas from 1e-9 to 10 (log-spaced) fall.  make bench puts both in
// docs/benchmarks.md.
#include "QR.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

int main()
{
    const givqr::idx n = 2000000, m = n - 2;
    std::vector<double> Qbar(6 * m), pr(givqr::R_nz(n));
    auto run = [&](double sigma) {
        givqr::QR_state st;
        givqr::QR_part(n, sigma, Qbar.data(), pr.data(), 0, m, &st);
        return st;
    };
    const double sigmas[] = {10, 1, 0.5, 0.1, 0.025, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 0, 4.9e-324};
    std::printf("| sigma | lambda | cycle from step | period |\n|---|---|---|---|\n");
    for (double sigma : sigmas) {
        const givqr::QR_state st = run(sigma);
        if (st.start < 0)
            std::printf("| %g | %s | never (n = %td) | - |\n", sigma, sigma == 0 ? "Inf" : "-", n);
        else
            std::printf("| %g | %.3g | %td | %td |\n", sigma, 1 / (sigma * sigma), st.start, st.period);
    }
    std::map<givqr::idx, int> periods;
    for (int k = 0; k < 300; k++) periods[run(std::pow(10.0, -9.0 + k / 30.0)).period]++;
    std::printf("\n| period | sigmas (of 300 from 1e-9 to 10) |\n|---|---|\n");
    for (const auto &p : periods)
        std::printf("| %s | %d |\n", p.first == 0 ? "none within n" : std::to_string(p.first).c_str(), p.second);
    return 0;
}
