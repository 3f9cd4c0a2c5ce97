## givfact from Octave, as a user calls it

%!test
%! [Qbar, R] = givfact (3, 1);
%! assert (size (Qbar), [1 6]);
%! assert (issparse (R) && isreal (R) && isa (R, "double"));
%! assert (size (R), [1 1]);
%! assert (nzmax (R), 1);

%!test
%! for n = [4 5 6 10 101 2000]
%!   for sigma = [0 0.1 -1 7 1e4]
%!     [Qbar, R] = givfact (n, sigma);
%!     [A, D] = stacked (n, sigma);
%!     m = n - 2;
%!     assert (size (Qbar), [m 6]);
%!     assert (size (R), [m m]);
%!     assert (nzmax (R), 3*n - 9);
%!     assert (istriu (R));
%!     assert (nnz (tril (R, -1)) + nnz (triu (R, 3)), 0);
%!     scale = 6 + sigma^2;
%!     assert (full (R'*R), full (D*D' + sigma^2 * speye (m)), 32 * eps * scale);
%!     ## each pair is a rotation
%!     assert (Qbar(:,1:2:5).^2 + Qbar(:,2:2:6).^2, ones (m, 3), 4 * eps);
%!   endfor
%! endfor

## the worked cases
%!test
%! [Qbar, R] = givfact (3, 0);
%! assert (Qbar, [1, 0, 1/sqrt(5), 2/sqrt(5), sqrt(5/6), -1/sqrt(6)], 2 * eps);
%! assert (full (R), sqrt (6) + eps (sqrt (6)));    # one ulp above sqrt(6)
%!test
%! [Qbar, R] = givfact (3, 2);
%! assert (Qbar, [-1/sqrt(5), 2/sqrt(5), sqrt(5)/3, -2/3, 3/sqrt(10), 1/sqrt(10)], 2 * eps);
%! assert (full (R), -sqrt (10), 4 * eps);
%!test
%! [Qbar, R] = givfact (4, 0);
%! [i, j] = find (R);
%! assert ([i j], [1 1; 1 2; 2 2]);
%! assert (nonzeros (R), [sqrt(6); -4/sqrt(6); sqrt(10/3)], 4 * eps);

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

## sigma = 0: every weight rotation is (1, 0)
%!test
%! [Qbar, R] = givfact (50, 0);
%! assert (Qbar(:,1:2), repmat ([1 0], 48, 1));

%!error <givfact requires two input arguments\.$> [Q, R] = givfact (5)
%!error <givfact requires two input arguments\.$> [Q, R] = givfact ()
%!error <givfact requires two input arguments\.$> [Q, R] = givfact (5, 1, 1)
%!error <givfact requires two input arguments\.$> Q = givfact (5)
%!error <givfact requires two output arguments\.$> Q = givfact (5, 1)
%!error <givfact requires two output arguments\.$> givfact (5, 1)
%!error <givfact requires two output arguments\.$> [a, b, c] = givfact (5, 1)
%!error <n must be a scalar greater or equal 3\.$> [Q, R] = givfact (2.5, 1)
%!error <n must be a scalar greater or equal 3\.$> [Q, R] = givfact ([3 4], 1)
%!error <n must be a scalar greater or equal 3\.$> [Q, R] = givfact ([], 1)
%!error <n must be a scalar greater or equal 3\.$> [Q, R] = givfact (NaN, 1)
%!error <n must be a scalar greater or equal 3\.$> [Q, R] = givfact (-Inf, 1)
%!error <n must be a real number\.$> [Q, R] = givfact ({5}, 1)
%!error <n must be a real number\.$> [Q, R] = givfact ("5", 1)
%!error <n must be a real number\.$> [Q, R] = givfact (5 + 1i, 1)
%!error <n is too large for this platform\.$> [Q, R] = givfact (Inf, 1)
%!error <n is too large for this platform\.$> [Q, R] = givfact (1e300, 1)
%!error <sigma must be a scalar\.$> [Q, R] = givfact (5, [1 2])
%!error <sigma must be a scalar\.$> [Q, R] = givfact (5, [])
%!error <sigma must be a real number\.$> [Q, R] = givfact (5, struct ())
%!error <sigma must be a real number\.$> [Q, R] = givfact (5, 1i)

## one identifier per condition
%!error id=givqr:givfact:nargin [Q, R] = givfact (5)
%!error id=givqr:givfact:nargout Q = givfact (5, 1)
%!error id=givqr:givfact:nScalar [Q, R] = givfact (2, 1)
%!error id=givqr:givfact:nReal [Q, R] = givfact ("5", 1)
%!error id=givqr:givfact:nTooLarge [Q, R] = givfact (Inf, 1)
%!error id=givqr:givfact:sigmaScalar [Q, R] = givfact (5, [1 2])
%!error id=givqr:givfact:sigmaReal [Q, R] = givfact (5, 1i)

## outputs too large for memory: the oct-file's own error, naming the bytes
## (the MEX files: Octave's own, which the gateway never sees)
%!test
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
