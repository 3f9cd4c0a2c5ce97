// transients: where the factorization's rows start to repeat, against sigma
// and the order d of the differences, at n = 2*10^6: for each sigma of a
// table, the step from which the state the sweep carries repeats, and the
// period, for d = 1..4 (d = 2 is givfact's sweep); then how the periods of
// 300 sigmas from 1e-9 to 10 (log-spaced) fall.  make bench puts both in
// docs/benchmarks.md.
#include "smooth.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

int main()
{
    const givqr::idx n = 2000000;
    std::vector<double> T(10 * n), R(n), y(n, 0.0), x(n);
    auto run = [&](double sigma, int d) {
        const givqr::stencil S = givqr::make_stencil(n, d, nullptr, nullptr);
        givqr::forward_state st;
        givqr::table t;
        t.T = T.data();
        t.R = R.data();
        givqr::smooth_forward(n, S, sigma, nullptr, y.data(), x.data(), nullptr, givqr::forward_c2, 0, n - d, st, t);
        return st.qr;
    };
    const double sigmas[] = {10, 1, 0.5, 0.1, 0.025, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 0, 4.9e-324};
    std::printf("| sigma | lambda | d = 1 | d = 2 | d = 3 | d = 4 |\n|---|---|---|---|---|---|\n");
    for (double sigma : sigmas) {
        char lambda[32];
        std::snprintf(lambda, sizeof lambda, "%.3g", 1 / (sigma * sigma));
        std::printf("| %g | %s |", sigma, sigma == 0 ? "Inf" : lambda);
        for (int d = 1; d <= givqr::d_max; d++) {
            const givqr::sweep_state st = run(sigma, d);
            if (st.start < 0) std::printf(" never |");
            else std::printf(" %td (%td) |", st.start, st.period);
        }
        std::printf("\n");
    }
    std::printf("\nThe step from which the rows repeat (cycle from step k), and (the period); "
                "never: not within n = %td.\n",
                n);
    std::printf("\n| period | d = 1 | d = 2 | d = 3 | d = 4 |\n|---|---|---|---|---|\n");
    const char *names[] = {"1", "2", "3 to 10", "11 to 100", "101 to 1000", "1001 to 10^4", "over 10^4", "none within n"};
    int count[8][givqr::d_max + 1] = {};
    for (int d = 1; d <= givqr::d_max; d++)
        for (int k = 0; k < 300; k++) {
            const givqr::idx p = run(std::pow(10.0, -9.0 + k / 30.0), d).period;
            count[p == 0 ? 7 : p <= 2 ? p - 1 : p <= 10 ? 2 : p <= 100 ? 3 : p <= 1000 ? 4 : p <= 10000 ? 5 : 6][d]++;
        }
    for (int b = 0; b < 8; b++) {
        std::printf("| %s |", names[b]);
        for (int d = 1; d <= givqr::d_max; d++) std::printf(" %d |", count[b][d]);
        std::printf("\n");
    }
    std::printf("\nOf 300 sigmas from 1e-9 to 10, how many settle into each period.\n");
    return 0;
}
