// failures.h: the calls of failures.def, run on a gateway
#ifndef GIVQR_TEST_FAILURES_H
#define GIVQR_TEST_FAILURES_H

#include "fakehost.h"
#include "messages.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace failures_def {

struct row {
    int outputs;
    const char *command, *key, *calls;
};
const row rows[] = {
#define VARIABLE(name, text)
#define FAILURE(outputs, command, key, calls) {outputs, #command, #key, calls},
#include "failures.def"
#undef FAILURE
#undef VARIABLE
};
const fake::variables vars = {
#define VARIABLE(name, text) {#name, text},
#define FAILURE(outputs, command, key, calls)
#include "failures.def"
#undef FAILURE
#undef VARIABLE
};

// The message of failure key of cmd, or of apply's for givfwd and givinv.
inline std::string message(const std::string &cmd, const char *key)
{
    struct entry { const char *command, *key; };
    static const entry all[] = {
#define MESSAGE(command, key, text) {#command, #key},
#include "messages.def"
#undef MESSAGE
    };
    for (int k = 0; k < givqr::messages; k++)
        if (std::strcmp(all[k].key, key) == 0 &&
            (cmd == all[k].command || (std::strcmp(all[k].command, "apply") == 0 && (cmd == "givfwd" || cmd == "givinv"))))
            return givqr::failures[k].text;
    return "no message for " + cmd + ":" + key;
}

// Every call of failures.def for the command cmd (of the rows for cmd, or
// apply's where cmd is givfwd or givinv) on its gateway g: the failure's
// message, and the inputs and whatever the call made destroyed.
inline void check(const std::string &cmd, fake::gateway *g)
{
    int calls = 0;
    for (const row &r : rows) {
        const bool apply = std::strcmp(r.command, "apply") == 0 && (cmd == "givfwd" || cmd == "givinv");
        if (cmd != r.command && !apply) continue;
        const std::string all = r.calls;
        for (size_t a = 0; a <= all.size();) {
            size_t b = all.find(" || ", a);
            if (b == std::string::npos) b = all.size();
            const std::string call = all.substr(a, b - a);
            a = b + 4;
            std::vector<mxArray *> in;
            for (size_t p = 0, depth = 0, start = 0; p <= call.size() && !call.empty(); p++) {
                const char c = p < call.size() ? call[p] : ',';
                if (c == '(' || c == '[' || c == '{') depth++;
                if (c == ')' || c == ']' || c == '}') depth--;
                if (c == '\'' && (p == 0 || call[p - 1] == ' ' || call[p - 1] == '(')) p = call.find('\'', p + 1);   /* a string, not a transpose */
                if (c == ',' && depth == 0) {
                    in.push_back(fake::parse(call.substr(start, p - start), vars));
                    start = p + 1;
                }
            }
            const long before = fake::live();
            std::vector<const mxArray *> prhs(in.begin(), in.end());
            mxArray *out[4] = {};
            const std::string got = fake::call(g, r.outputs, out, int(prhs.size()), prhs.data()), want = message(cmd, r.key);
            const size_t at = want.find("%s");          /* any detail there */
            const bool same = at == std::string::npos ? got == want
                              : got.size() > want.size() - 2 && got.compare(0, at, want, 0, at) == 0 &&
                                    got.compare(got.size() - (want.size() - at - 2), std::string::npos, want, at + 2) == 0;
            EXPECT_TRUE(same) << cmd << " (" << call << ") with " << r.outputs << " outputs: " << got;
            EXPECT_EQ(fake::live(), before) << cmd << " (" << call << ")";     // nothing made is left
            for (mxArray *m : in) fake::destroy(m);
            calls++;
        }
    }
    EXPECT_GT(calls, 5) << cmd;
}

} // namespace failures_def

#endif
