/* types.h: the index type, the orders of the differences, the parts the kernels run in */
#ifndef GIVQR_TYPES_H
#define GIVQR_TYPES_H

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace givqr {

typedef std::ptrdiff_t idx;

/* givsmooth's penalty takes differences of order d = 1..d_max: its A is
 * [diag(rho)*D'; sigma*I] with D the (n-d)-by-n matrix of d-th (divided)
 * differences, m = n-d columns, each with d+1 stencil entries; the sweep's
 * state holds d(d+1)/2 numbers (sweep/step.h). */
constexpr int d_max = 4;
constexpr int state_max = d_max * (d_max + 1) / 2 + 1;      /* and a bidiagonal lower block's row */

/* n must stay below this bound, so that 6*(n-2) doubles, the largest array
 * of any command, are addressable. */
constexpr double nlimit = static_cast<double>(PTRDIFF_MAX / 64);

/* Steps per part of a kernel's run: between parts, a few milliseconds apart,
 * the calling thread lets the host act on an interrupt (Ctrl-C), and every
 * thread sees a stop. */
constexpr idx part_steps = idx(1) << 16;

/* f(std::integral_constant<int, d>()) for the order d = 1..d_max: the one
 * switch from an order known at run time to the kernels made for each. */
template <class F>
decltype(auto) with_order(int d, F &&f)
{
    switch (d) {
    case 1: return f(std::integral_constant<int, 1>());
    case 2: return f(std::integral_constant<int, 2>());
    case 3: return f(std::integral_constant<int, 3>());
    default: return f(std::integral_constant<int, 4>());
    }
}

} // namespace givqr

#endif
