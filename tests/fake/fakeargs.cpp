/* fakeargs: arrays written as a few forms of Octave's own syntax */
#include "fakehost.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace fake {

namespace {

/* A value as parsed: its class and shape, real and imaginary parts by column. */
struct value {
    mxClassID cls = mxDOUBLE_CLASS;
    mwSize m = 0, n = 0, pages = 1;
    std::vector<double> re, im;
    bool sparse = false;
};

value full(mwSize m, mwSize n, mwSize pages, double v)
{
    value a;
    a.m = m, a.n = n, a.pages = pages;
    a.re.assign(size_t(m * n * pages), v);
    return a;
}

/* the values side by side (across) or one above the other, empty ones left out */
value cat(const std::vector<value> &parts, bool across)
{
    value a;
    for (const value &v : parts) {
        if (v.m * v.n == 0) continue;
        if (a.m * a.n == 0) {
            a = v;
            continue;
        }
        if ((across ? v.m != a.m : v.n != a.n)) throw std::runtime_error("fake::parse: sizes that do not fit");
        value c = full(across ? a.m : a.m + v.m, across ? a.n + v.n : a.n, 1, 0.0);
        for (mwSize j = 0; j < c.n; j++)
            for (mwSize i = 0; i < c.m; i++)
                c.re[size_t(j * c.m + i)] = across ? (j < a.n ? a.re[size_t(j * a.m + i)] : v.re[size_t((j - a.n) * v.m + i)])
                                                   : (i < a.m ? a.re[size_t(j * a.m + i)] : v.re[size_t(j * v.m + i - a.m)]);
        a = c;
    }
    return a;
}

struct parser {
    const std::string &s;
    const variables &vars;
    size_t i = 0;

    [[noreturn]] void fail(const char *what) const
    {
        throw std::runtime_error(std::string("fake::parse: ") + what + " at '" + s.substr(i) + "' in '" + s + "'");
    }
    bool take(char c)
    {
        while (i < s.size() && s[i] == ' ') i++;
        return i < s.size() && s[i] == c ? (i++, true) : false;
    }
    double number()
    {
        while (i < s.size() && s[i] == ' ') i++;
        char *end;
        const double v = std::strtod(s.c_str() + i, &end);
        if (end == s.c_str() + i) fail("no number");
        i = size_t(end - s.c_str());
        return v;
    }
    /* [rows ; rows], each row's items by , or space: a:b, a:s:b or a value; ' after ] transposes */
    value matrix()
    {
        std::vector<value> rows;
        do {
            std::vector<value> row;
            while (take(','), i < s.size() && s[i] != ';' && s[i] != ']') row.push_back(item());
            rows.push_back(cat(row, true));
        } while (take(';'));
        if (!take(']')) fail("no ]");
        value a = cat(rows, false);
        if (i < s.size() && s[i] == '\'') {
            i++;
            value t = a;
            t.m = a.n, t.n = a.m;
            for (mwSize j = 0; j < a.n; j++)
                for (mwSize k = 0; k < a.m; k++) t.re[size_t(k * a.n + j)] = a.re[size_t(j * a.m + k)];
            return t;
        }
        return a;
    }
    value item()
    {
        const size_t at = i;
        if (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '-') {
            double a = number(), step = 1.0, b;
            if (i < s.size() && s[i] == ':') {
                i++, b = number();
                if (i < s.size() && s[i] == ':') i++, step = b, b = number();
                value r = full(1, 0, 1, 0.0);
                for (; step > 0 ? a <= b : a >= b; a += step) r.re.push_back(a), r.n++;
                return r;
            }
            i = at;
        }
        return arg(true);
    }
    /* name (a, ...): within brackets the ( directly after the name, as in Octave */
    std::vector<value> call(bool inside)
    {
        std::vector<value> a;
        if (inside ? !(i < s.size() && s[i] == '(') : !take('(')) return a;
        i += inside;
        if (take(')')) return a;
        do a.push_back(arg(false)); while (take(','));
        if (!take(')')) fail("no )");
        return a;
    }
    value arg(bool inside)
    {
        while (i < s.size() && s[i] == ' ') i++;
        if (i >= s.size()) fail("no value");
        if (s[i] == '[') return i++, matrix();
        value v;
        if (s[i] == '{') {          /* a cell of as many as it lists */
            i++;
            if (!take('}')) {
                do arg(false), v.n++; while (take(','));
                if (!take('}')) fail("no }");
            }
            v.cls = mxCELL_CLASS, v.m = v.n > 0;
            return v;
        }
        if (s[i] == '\'') {
            const size_t e = s.find('\'', i + 1);
            if (e == std::string::npos) fail("no closing quote");
            v.cls = mxCHAR_CLASS, v.m = 1, v.n = mwSize(e - i - 1);
            for (size_t k = i + 1; k < e; k++) v.re.push_back(static_cast<unsigned char>(s[k]));
            i = e + 1;
            return v;
        }
        if (!std::isalpha(static_cast<unsigned char>(s[i]))) return full(1, 1, 1, number());
        const size_t from = i;
        while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_')) i++;
        const std::string w = s.substr(from, i - from);
        for (const auto &x : vars)
            if (x.first == w) return parser{x.second, vars}.arg(false);
        const std::vector<value> a = call(inside);
        auto dim = [&](size_t k) { return mwSize(k < a.size() ? a[k].re.at(0) : k == 1 && !a.empty() ? a[0].re.at(0) : 1); };
        if (w == "NaN" || w == "Inf" || w == "zeros" || w == "ones")
            return full(dim(0), dim(1), dim(2), w == "NaN" ? NAN : w == "Inf" ? INFINITY : w == "zeros" ? 0.0 : 1.0);
        if (w == "true" || w == "false") return v = full(1, 1, 1, w == "true"), v.cls = mxLOGICAL_CLASS, v;
        if (w == "struct") return v.cls = mxSTRUCT_CLASS, v.m = v.n = 1, v;
        if (a.empty()) fail("a call without its argument");
        v = a[0];
        if (w == "complex") return v.im.assign(v.re.size(), a.size() > 1 ? a[1].re.at(0) : 0.0), v;
        if (w == "sparse") return v.sparse = true, v;
        if (w == "num2cell") return v.cls = mxCELL_CLASS, v.re.clear(), v;
        const struct { const char *name; mxClassID cls; } classes[] = {
            {"single", mxSINGLE_CLASS}, {"int8", mxINT8_CLASS},   {"uint8", mxUINT8_CLASS}, {"int16", mxINT16_CLASS},
            {"int32", mxINT32_CLASS},   {"int64", mxINT64_CLASS}, {"logical", mxLOGICAL_CLASS}, {"char", mxCHAR_CLASS}};
        for (const auto &c : classes)
            if (w == c.name) return v.cls = c.cls, v;
        fail("an unknown name");
    }
};

template <class T>
void put(mxArray *a, const std::vector<double> &re)
{
    for (size_t k = 0; k < re.size(); k++) static_cast<T *>(data(a))[k] = static_cast<T>(re[k]);
}

} // namespace

mxArray *parse(const std::string &text, const variables &vars)
{
    parser p{text, vars};
    const value v = p.arg(false);
    if (p.take(' '), p.i != text.size()) p.fail("more after the value");
    if (v.sparse) return sparse(v.m, v.n, v.re);
    std::vector<mwSize> dims = {v.m, v.n};
    if (v.pages > 1) dims.push_back(v.pages);
    mxArray *a = make(v.cls, dims, !v.im.empty());
    switch (v.cls) {
    case mxDOUBLE_CLASS:
        put<double>(a, v.re);
        if (!v.im.empty()) std::memcpy(imag(a), v.im.data(), v.im.size() * sizeof(double));
        break;
    case mxSINGLE_CLASS: put<float>(a, v.re); break;
    case mxINT8_CLASS: put<int8_t>(a, v.re); break;
    case mxUINT8_CLASS: put<uint8_t>(a, v.re); break;
    case mxINT16_CLASS: put<int16_t>(a, v.re); break;
    case mxINT32_CLASS: put<int32_t>(a, v.re); break;
    case mxINT64_CLASS: put<int64_t>(a, v.re); break;
    case mxLOGICAL_CLASS: put<uint8_t>(a, v.re); break;
    case mxCHAR_CLASS: put<uint16_t>(a, v.re); break;
    default: break;
    }
    return a;
}

} // namespace fake
