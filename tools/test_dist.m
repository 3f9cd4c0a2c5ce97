## test_dist.m: install the package tarball into a scratch prefix and use it
## as a user would.  Octave is started with the variables tarball, prefix and
## inst (the sources' inst folder) set.
pkg ("prefix", prefix, prefix);
pkg ("local_list", fullfile (prefix, "octave_packages"));
pkg ("install", tarball);
pkg load givqr

for cmd = {"givfact", "givfwd", "givinv", "givsmooth"}
  assert (exist (cmd{1}), 3);                       # the binary, found first
  bin = which (cmd{1});
  assert (regexp (bin, '\.oct$'));                  # the oct-file
  assert (exist (fullfile (fileparts (bin), [cmd{1} ".m"]), "file"), 2);   # help beside it
  assert (! isempty (strfind (evalc (["help " cmd{1}]), upper (cmd{1}))));
endfor
## each command once in the package's description, under a category
[desc, ~] = pkg ("describe", "-verbose", "givqr");
fcns = cellfun (@(p) p.functions, desc{1}.provides, "uniformoutput", false);
fcns = [fcns{:}];
assert (sort (fcns), {"givfact", "givfwd", "givinv", "givsmooth"});
assert (numel (unique (fcns)), numel (fcns));
assert (isempty (strfind (fileread (fullfile (fileparts (which ("givfact")), "packinfo", "DESCRIPTION")), "  ")));
## an Octave started in the sources' inst folder finds the help files there
## first, with the package loaded: they say so, and what to do
[~, out] = system (sprintf (["cd '%s' && OCTAVE_HISTFILE=/dev/null octave-cli --norc --quiet --eval " ...
                             "\"pkg ('local_list', '%s'); pkg load givqr; try, [Q, R] = givfact (10, 1); " ...
                             "catch e, disp (e.identifier); disp (e.message); end\""], ...
                            inst, fullfile (prefix, "octave_packages")));
assert (! isempty (strfind (out, "givqr:givfact:notBuilt")), out);
assert (! isempty (strfind (out, "work outside")), out);
assert (norm (givsmooth ((1:10)', 0.5) - (1:10)') < 1e-12);   # a line is smooth already

[Qbar, R] = givfact (1000, 0.1);
x = randn (1998, 1);
assert (givinv (Qbar, givfwd (Qbar, x)), x, 1e-12);
printf ("givfact, givfwd, givinv, givsmooth run from %s\n", fileparts (which ("givfact")));

## the tests each installed function carries, as pkg test runs them (which
## prints its results but returns none), counted once
passed = 0; total = 0;
for cmd = fcns
  [n, m] = test (cmd{1}, "quiet", stdout);
  passed += n; total += m;
endfor
printf ("%d passed, %d failed\n", passed, total - passed);
exit (total == 0 || passed < total);
