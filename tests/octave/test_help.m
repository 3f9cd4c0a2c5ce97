## The commands explain themselves: help, lookfor, Contents

%!test
%! txt = evalc ("help givfact");
%! assert (! isempty (strfind (txt, "[Qbar, R] = GIVFACT (n, sigma)")));
%! for cmd = {"givfwd", "givinv"}
%!   txt = evalc (["help " cmd{1}]);
%!   assert (! isempty (strfind (txt, ["y = " upper(cmd{1}) " (Qbar, x)"])));
%! endfor

## what a user searches for finds every command
%!test
%! for word = {"Givens", "QR", "smoothing", "second difference"}
%!   fcns = lookfor (word{1});
%!   for cmd = {"givfact", "givfwd", "givinv", "givsmooth"}
%!     assert (any (strcmp (fcns, cmd{1})), "lookfor %s misses %s", word{1}, cmd{1});
%!   endfor
%! endfor

## "See also" names what help opens, in Octave as in MATLAB
%!test
%! for cmd = {"givfact", "givfwd", "givinv", "givsmooth"}
%!   txt = evalc (["help " cmd{1}]);
%!   also = regexp (txt, 'See also ([^.\n]*)', "tokens", "once"){1};
%!   for name = strtrim (strsplit (also, ","))
%!     assert (! isempty (evalc (["help " name{1}])), "help %s", name{1});
%!   endfor
%! endfor

## the binary, not the help file, is what runs: the kind of file under test
%!test
%! ext = getenv ("GIVQR_BINARY");
%! assert (! isempty (ext), "GIVQR_BINARY names the kind of file under test");
%! for cmd = {"givfact", "givfwd", "givinv"}
%!   assert (exist (cmd{1}), 3);
%!   [~, ~, got] = fileparts (which (cmd{1}));
%!   assert (got, ext);
%! endfor
