# spline_peers.py IN OUT: scipy's make_smoothing_spline on the problem in IN
# (float64: n, lambda, reps, then x (n), y (n) and the points between xm
# (n-1)), at the same lambda: it minimizes sum((y - f(x))**2) +
# lam*integral(f''**2), so lam = lambda.  Writes to OUT f(x), f'(x), f''(x),
# f(xm) and the least of reps times of the fit and f(x), in seconds.
import sys
import time

import numpy as np
from scipy.interpolate import make_smoothing_spline

v = np.fromfile(sys.argv[1])
n, lam, reps = int(v[0]), v[1], int(v[2])
x, y, xm = v[3:3 + n], v[3 + n:3 + 2 * n], v[3 + 2 * n:3 + 3 * n - 1]
best = np.inf
for _ in range(reps):
    t0 = time.perf_counter()
    s = make_smoothing_spline(x, y, lam=lam)
    f = s(x)
    best = min(best, time.perf_counter() - t0)
np.concatenate([f, s(x, 1), s(x, 2), s(xm), [best]]).tofile(sys.argv[2])
