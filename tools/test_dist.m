## test_dist.m: install the package tarball into a scratch prefix and use it
## as a user would.  Octave is started with the variables tarball and prefix set.
pkg ("prefix", prefix, prefix);
pkg ("local_list", fullfile (prefix, "octave_packages"));
pkg ("install", tarball);
pkg load givqr

for cmd = {"givfact", "givfwd", "givinv"}
  assert (exist (cmd{1}), 3);                       # the binary, found first
  bin = which (cmd{1});
  assert (regexp (bin, '\.oct$'));                  # the oct-file
  assert (exist (fullfile (fileparts (bin), [cmd{1} ".m"]), "file"), 2);   # help beside it
  assert (! isempty (strfind (evalc (["help " cmd{1}]), upper (cmd{1}))));
endfor
[Qbar, R] = givfact (1000, 0.1);
x = randn (1998, 1);
assert (givinv (Qbar, givfwd (Qbar, x)), x, 1e-12);
printf ("givfact, givfwd, givinv run from %s\n", fileparts (which ("givfact")));

pkg test givqr
passed = 0; total = 0;
for cmd = {"givfact", "givfwd", "givinv"}
  [n, m] = test (cmd{1});
  passed += n; total += m;
endfor
printf ("%d passed, %d failed\n", passed, total - passed);
exit (total == 0 || passed < total);
