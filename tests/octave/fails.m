## fails (code, id): code, run in the caller's workspace, ends in the error
## id, with the message core/messages.def gives that failure (after "cmd: "
## where the host names the command).  fails (code, id, values): so does
## sprintf (code, v) for each string v of the cell values.
function fails (code, id, values)
  codes = {code};
  if (nargin > 2)
    codes = cellfun (@(v) sprintf (code, v), values, "uniformoutput", false);
  endif
  part = strsplit (id, ":");
  t = messages ();
  owner = strcmp (t(:,1), part{2}) | (strcmp (t(:,1), "apply") & any (strcmp (part{2}, {"givfwd", "givinv"})));
  k = find (owner & strcmp (t(:,2), part{3}));
  assert (numel (k) == 1, "no message for %s", id);
  for c = codes
    failed = false;
    try
      evalin ("caller", c{1});
    catch e
      failed = true;
      assert (strcmp (e.identifier, id), "%s: identifier %s, not %s", c{1}, e.identifier, id);
      ok = strcmp (e.message, t{k,3}) || strcmp (e.message, [part{2} ": " t{k,3}]);
      assert (ok, "%s: '%s', not '%s'", c{1}, e.message, t{k,3});
    end_try_catch
    assert (failed, "%s: no error", c{1});
  endfor
endfunction
