## under_asan (): true in an Octave run under AddressSanitizer (make
## test-sanitize), whose allocator ends the process, rather than failing the
## allocation, on a request larger than memory: no test may make one there;
## nor load octave-parallel, whose exit handlers use memory already freed.
function t = under_asan ()
  t = ! isempty (strfind (getenv ("LD_PRELOAD"), "libasan"));
endfunction
