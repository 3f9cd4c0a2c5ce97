/* fakeargs: arrays written as a few forms of Octave's own syntax */
#include "fakehost.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace fake {

namespace {

/* A value as parsed: its class and shape, real and imaginary parts column by column. */
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

struct parser {
    const std::string &s;
    const variables &vars;
    size_t i = 0;

    [[noreturn]] void fail(const char *what) const
    {
        throw std::runtime_error(std::string("fake::parse: ") + what + " at '" + s.substr(i) + "' in '" + s + "'");
    }
    void space()
    {
        while (i < s.size() && s[i] == ' ') i++;
    }
    bool take(char c)
    {
        space();
        if (i < s.size() && s[i] == c) return i++, true;
        return false;
    }
    std::string name()
    {
        size_t j = i;
        while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_')) j++;
        std::string w = s.substr(i, j - i);
        i = j;
        return w;
    }
    double number()
    {
        space();
        char *end;
        const double v = std::strtod(s.c_str() + i, &end);
        if (end == s.c_str() + i) fail("no number");
        i = size_t(end - s.c_str());
        return v;
    }
    /* f (a, b, ...): the arguments of a call, where a '(' follows (directly, within brackets) */
    std::vector<value> call(bool inside)
    {
        std::vector<value> a;
        if (inside ? !(i < s.size() && s[i] == '(') : !take('(')) return a;
        if (inside) i++;
        if (take(')')) return a;
        do a.push_back(arg(false)); while (take(','));
        if (!take(')')) fail("no )");
        return a;
    }
    value matrix()
    {
        std::vector<value> rows;
        bool more = true;
        while (more) {
            std::vector<value> row;
            space();
            while (i < s.size() && s[i] != ';' && s[i] != ']') {
                row.push_back(item());
                take(',');
                space();
            }
            more = take(';');
            value r;                    /* the row: its items side by side */
            for (const value &v : row) {
                if (r.re.empty() && r.m == 0) r.m = v.m;
                if (v.m * v.n == 0) continue;
                if (v.m != r.m && r.n > 0) fail("rows of different heights");
                r.m = v.m, r.n += v.n;
                r.re.insert(r.re.end(), v.re.begin(), v.re.end());
            }
            if (r.m * r.n > 0) rows.push_back(r);
        }
        if (!take(']')) fail("no ]");
        value a;                        /* the rows one above the other */
        for (const value &r : rows) {
            if (a.n > 0 && r.n != a.n) fail("rows of different lengths");
            std::vector<double> c(size_t((a.m + r.m) * r.n));
            for (mwSize j = 0; j < r.n; j++)
                for (mwSize k = 0; k < a.m + r.m; k++)
                    c[size_t(j * (a.m + r.m) + k)] = k < a.m ? a.re[size_t(j * a.m + k)] : r.re[size_t(j * r.m + k - a.m)];
            a.re = c, a.m += r.m, a.n = r.n;
        }
        if (i < s.size() && s[i] == '\'') {     /* transposed */
            i++;
            value t = a;
            t.m = a.n, t.n = a.m;
            for (mwSize j = 0; j < a.n; j++)
                for (mwSize k = 0; k < a.m; k++) t.re[size_t(k * a.n + j)] = a.re[size_t(j * a.m + k)];
            return t;
        }
        return a;
    }
    /* an element of a matrix: a:b, a:s:b, or any argument */
    value item()
    {
        const size_t at = i;
        if (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '-') {
            const double a = number();
            if (i < s.size() && s[i] == ':') {
                i++;
                double step = 1.0, b = number();
                if (i < s.size() && s[i] == ':') i++, step = b, b = number();
                value r = full(1, 0, 1, 0.0);
                for (double v = a; step > 0 ? v <= b : v >= b; v += step) r.re.push_back(v), r.n++;
                return r;
            }
            i = at;
        }
        return arg(true);
    }
    value arg(bool inside)
    {
        space();
        if (i >= s.size()) fail("no value");
        if (s[i] == '[') return i++, matrix();
        if (s[i] == '{') {
            i++;
            mwSize k = 0;
            if (!take('}')) {
                do arg(false), k++; while (take(','));
                if (!take('}')) fail("no }");
            }
            value c;
            c.cls = mxCELL_CLASS, c.m = k ? 1 : 0, c.n = k;
            return c;
        }
        if (s[i] == '\'') {
            const size_t e = s.find('\'', i + 1);
            if (e == std::string::npos) fail("no closing quote");
            value t;
            t.cls = mxCHAR_CLASS, t.m = 1, t.n = mwSize(e - i - 1);
            for (size_t k = i + 1; k < e; k++) t.re.push_back(static_cast<unsigned char>(s[k]));
            i = e + 1;
            return t;
        }
        if (!std::isalpha(static_cast<unsigned char>(s[i]))) return full(1, 1, 1, number());
        const std::string w = name();
        for (const auto &v : vars)
            if (v.first == w) return parser{v.second, vars}.arg(false);
        std::vector<value> a = call(inside);
        auto dim = [&](size_t k) { return k < a.size() ? mwSize(a[k].re.at(0)) : k == 1 && !a.empty() ? mwSize(a[0].re.at(0)) : 1; };
        if (w == "NaN" || w == "Inf" || w == "zeros" || w == "ones")
            return full(a.empty() ? 1 : dim(0), dim(1), dim(2),
                        w == "NaN" ? NAN : w == "Inf" ? INFINITY : w == "zeros" ? 0.0 : 1.0);
        if (w == "true" || w == "false") {
            value t = full(1, 1, 1, w == "true");
            t.cls = mxLOGICAL_CLASS;
            return t;
        }
        if (w == "struct") {
            value t;
            t.cls = mxSTRUCT_CLASS, t.m = t.n = 1;
            return t;
        }
        if (a.size() < 1) fail("a call without its argument");
        value v = a[0];
        if (w == "complex") {
            v.im.assign(v.re.size(), a.size() > 1 ? a[1].re.at(0) : 0.0);
            return v;
        }
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
    T *p = static_cast<T *>(data(a));
    for (size_t k = 0; k < re.size(); k++) p[k] = static_cast<T>(re[k]);
}

} // namespace

mxArray *parse(const std::string &text, const variables &vars)
{
    parser p{text, vars};
    const value v = p.arg(false);
    p.space();
    if (p.i != text.size()) p.fail("more after the value");
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
