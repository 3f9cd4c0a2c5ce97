# Rscript spline_peers.R IN OUT: R's smooth.spline on the problem in IN (as
# spline_peers.py), every x a knot.  smooth.spline brings x to [0, 1] before
# it applies its lambda, so lambda_R = lambda / (x(n) - x(1))^3.  Writes what
# spline_peers.py writes.
a <- commandArgs(TRUE)
v <- readBin(a[1], "double", n = 1e8)
n <- v[1]; lam <- v[2]; reps <- v[3]
x <- v[3 + (1:n)]; y <- v[3 + n + (1:n)]; xm <- v[3 + 2 * n + seq_len(n - 1)]
best <- Inf
for (r in seq_len(reps)) {
  t0 <- proc.time()[["elapsed"]]
  s <- smooth.spline(x, y, lambda = lam / (x[n] - x[1])^3, all.knots = TRUE)
  f <- predict(s, x)$y
  best <- min(best, proc.time()[["elapsed"]] - t0)
}
writeBin(c(f, predict(s, x, 1)$y, predict(s, x, 2)$y, predict(s, xm)$y, best), a[2])
