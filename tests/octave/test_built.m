## The MEX files givqr_build makes: they load, each command runs once, and
## an error carries its identifier.

%!test
%! for cmd = {"givfact", "givfwd", "givinv"}
%!   [~, ~, ext] = fileparts (which (cmd{1}));
%!   assert (ext, ".mex");
%! endfor
%! [Qbar, R] = givfact (10, 0.5);
%! x = (1:18)';
%! assert (givinv (Qbar, givfwd (Qbar, x)), x, 1e-13);
%!error id=givqr:givfact:nScalar [Q, R] = givfact (2, 1)
