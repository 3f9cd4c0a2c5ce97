/* octglue.h: Octave values described for the checks, failures raised */
#ifndef GIVQR_OCTGLUE_H
#define GIVQR_OCTGLUE_H

#include <octave/oct.h>
#include <octave/quit.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#if defined(__linux__)
#include <sched.h>
#endif

#include "arg.h"
#include "messages.h"

namespace givqr {

inline arg describe(const octave_value &v)
{
    arg d;
    const dim_vector dims = v.dims();
    d.m = dims(0);
    d.n = columns(dims.ndims(), [&dims](int k) { return static_cast<idx>(dims(k)); });
    d.real = (v.isnumeric() || v.islogical()) && !v.iscomplex();
    d.full_double = d.real && v.is_double_type() && !v.issparse();
    d.value = d.real && d.m == 1 && d.n == 1 ? v.double_value() : 0.0;
    d.matrix = dims.ndims() <= 2;
    d.logical = v.islogical();
    d.chars = v.is_string();
    d.text[0] = 0;
    d.whole = false;
    if (d.chars && d.m == 1) {
        const std::string s = v.string_value();
        const std::size_t k = std::min(s.size(), sizeof d.text - 1);
        std::memcpy(d.text, s.data(), k);
        d.text[k] = 0;
        d.whole = k == s.size() && std::strlen(d.text) == k;
    }
    return d;
}

/* Describes the first (at most) two arguments. */
inline void describe(const octave_value_list &args, arg *a, int count)
{
    for (int k = 0; k < args.length() && k < count; k++) a[k] = describe(args(k));
}

/* The threads this process may run on (its CPU affinity), at least 1. */
inline int process_threads()
{
#if defined(__linux__)
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set) > 0 ? CPU_COUNT(&set) : 1;
#endif
    const unsigned t = std::thread::hardware_concurrency();
    return t > 0 ? static_cast<int>(t) : 1;
}

/* Ends the call of cmd with failure f, under its identifier: the message
 * (with the call's detail, messages.h) as it stands where it names the
 * command itself, else after "cmd: ". */
[[noreturn]] inline void fail(const char *cmd, const failure &f, const char *detail = nullptr)
{
    char id[64], buf[256];
    identifier(id, cmd, f);
    const char *text = message_of(buf, f, detail);
    const std::size_t k = std::strlen(cmd);
    if (std::strncmp(text, cmd, k) == 0 && text[k] == ' ') error_with_id(id, "%s", text);
    error_with_id(id, "%s: %s", cmd, text);
}

/* Ends the call of cmd whose outputs (what) could not be allocated. */
[[noreturn]] inline void out_of_memory(const char *cmd, const char *what, double bytes)
{
    char id[64];
    identifier(id, cmd, failure{"outOfMemory", ""});
    error_with_id(id, "%s: out of memory: %s %.0f bytes.", cmd, what, bytes);
}

} // namespace givqr

#endif
