## givfact from Octave, as a user calls it

## the outputs as Octave arrays: sizes, R's pattern, classes
%!test
%! for n = [3 4 5 10 101 2000]
%!   for sigma = [0 0.1 -1 1e4]
%!     [Qbar, R] = givfact (n, sigma);
%!     m = n - 2;
%!     assert (size (Qbar), [m 6]);
%!     assert (isa (Qbar, "double") && isreal (Qbar) && ! issparse (Qbar));
%!     assert (issparse (R) && isreal (R) && isa (R, "double"));
%!     assert (size (R), [m m]);
%!     assert (nzmax (R), max (1, 3*n - 9));
%!     assert (istriu (R) && nnz (triu (R, 3)) == 0);
%!   endfor
%! endfor

## n is truncated toward zero; any real class is read by its value
%!test
%! [Q1, R1] = givfact (3.9, 1);
%! [Q2, R2] = givfact (3, 1);
%! assert (isequal (Q1, Q2) && isequal (R1, R2));
%!test
%! [Q1, R1] = givfact (7, 2);
%! for n = {int32(7), uint8(7), single(7), int64(7), sparse(7)}
%!   for sigma = {int8(2), single(2), sparse(2)}
%!     [Q2, R2] = givfact (n{1}, sigma{1});
%!     assert (isequal (Q1, Q2) && isequal (R1, R2));
%!   endfor
%! endfor
%! [Q3, R3] = givfact (7, true);
%! [Q4, R4] = givfact (7, 1);
%! assert (isequal (Q3, Q4) && isequal (R3, R4));

## outputs too large for memory: the oct-file's own error, naming the bytes
## (the MEX files: Octave's own, which the gateway never sees)
%!testif ; ! under_asan ()
%! [~, ~, ext] = fileparts (which ("givfact"));
%! try
%!   [Q, R] = givfact (1e12, 0.1);
%!   error ("no error");
%! catch e
%!   if (strcmp (ext, ".oct"))
%!     assert (e.identifier, "givqr:givfact:outOfMemory");
%!     assert (regexp (e.message, '^givfact: out of memory: Qbar and R need 103999999999752 bytes\.$'));
%!   else
%!     assert (regexp (e.message, '^givfact: failed to allocate \d+ bytes'));
%!   endif
%! end_try_catch
%! [Q, R] = givfact (5, 1);          # and the next call works
%! assert (size (Q), [3 6]);

## The oct-files run each kernel in parts of 65536 columns, with Octave's
## interrupt checked between them; past a part boundary their outputs are
## the bits of the MEX files, which run each kernel whole.
%!test
%! [~, ~, ext] = fileparts (which ("givfact"));
%! if (strcmp (ext, ".oct"))
%!   whole = tempname ();
%!   mkdir (whole);
%!   for cmd = {"givfact", "givfwd", "givinv"}
%!     copyfile (fullfile (getenv ("GIVQR_MEX_DIR"), [cmd{1} ".mex"]), fullfile (whole, [cmd{1} "_whole.mex"]));
%!   endfor
%!   addpath (whole);
%!   bits = @(a) typecast (a(:), "uint64");
%!   for n = [2^16 + 3, 2^17 + 5]
%!     [Q1, R1] = givfact (n, 0.1);
%!     [Q2, R2] = givfact_whole (n, 0.1);
%!     [i1, j1, v1] = find (R1);
%!     [i2, j2, v2] = find (R2);
%!     assert (isequal (bits (Q1), bits (Q2)) && isequal ([i1 j1], [i2 j2]) && isequal (bits (v1), bits (v2)));
%!     x = sin ((1:2*n-2)');
%!     assert (isequal (bits (givfwd (Q1, x)), bits (givfwd_whole (Q1, x))));
%!     assert (isequal (bits (givinv (Q1, x)), bits (givinv_whole (Q1, x))));
%!   endfor
%!   rmpath (whole);
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (whole, "s");
%! endif
