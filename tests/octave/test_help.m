## The commands explain themselves: help, lookfor, Contents

%!test
%! txt = evalc ("help givfact");
%! assert (! isempty (strfind (txt, "[Qbar, R] = GIVFACT (n, sigma)")));
%! assert (! isempty (strfind (txt, "n must be a scalar greater or equal 3.")));
%! for cmd = {"givfwd", "givinv"}
%!   txt = evalc (["help " cmd{1}]);
%!   assert (! isempty (strfind (txt, ["y = " upper(cmd{1}) " (Qbar, x)"])));
%!   assert (! isempty (strfind (txt, "See also")));
%! endfor

%!test
%! [fcns, help1] = lookfor ("Givens");
%! assert (any (strcmp (fcns, "givfact")));

## the binary, not the help file, is what runs: the oct-file where there is one
%!test
%! ext = getenv ("GIVQR_BINARY");
%! for cmd = {"givfact", "givfwd", "givinv"}
%!   assert (exist (cmd{1}), 3);
%!   [~, ~, got] = fileparts (which (cmd{1}));
%!   assert (isempty (ext) || strcmp (got, ext));
%! endfor
