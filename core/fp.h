/* fp.h: every floating-point operation rounded to double, in the order written */
#ifndef GIVQR_FP_H
#define GIVQR_FP_H

/*
 * Results are fixed to the bit.  The build flags say so (-ffp-contract=off),
 * but a user's own build (mex, mkoctfile, an IDE) may not carry them, so the
 * source says it too, for everything that follows in the file that includes
 * this one: no fused multiply-add.  A build that cannot keep the bits stops
 * here.  Every kernel includes this first (through rotations.h).
 */
#if defined(__FAST_MATH__) || defined(_M_FP_FAST)
#error "givqr: fast math changes the results; build without -ffast-math (/fp:fast)."
#endif
#if (defined(__i386__) && !defined(__SSE2_MATH__)) || (defined(_M_IX86) && _M_IX86_FP < 2)
#error "givqr: x87 math rounds to 80 bits; build with -msse2 -mfpmath=sse (/arch:SSE2)."
#endif
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF    /* not under -ffp-contract=fast, which overrides it */
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
/* and, for speed alone, no packing of scalar operations into vectors (SLP):
 * GCC pairs the halves of rotations and the entries of a step's state,
 * which puts shuffles on the chain of dependent steps (a third longer for
 * the factorization, measured with GCC 12) */
#pragma GCC optimize("no-tree-slp-vectorize")
#elif defined(_MSC_VER)
#pragma fp_contract(off)
#endif

/* The steps of the kernels' loops, inlined where they are called whatever
 * the compiler would weigh: a step that is not passes its carried values
 * through memory, which lengthens the chain of dependent steps. */
#if defined(__GNUC__)
#define GIVQR_STEP inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define GIVQR_STEP __forceinline
#else
#define GIVQR_STEP inline
#endif

#endif
