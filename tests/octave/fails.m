## fails (code, id): code, run in the caller's workspace, ends in the error
## id, with the message core/messages.def gives that failure (after "cmd: "
## where the host names the command; any detail where it has %s).
function fails (code, id)
  part = strsplit (id, ":");
  t = messages ();
  owner = strcmp (t(:,1), part{2}) | (strcmp (t(:,1), "apply") & any (strcmp (part{2}, {"givfwd", "givinv"})));
  k = find (owner & strcmp (t(:,2), part{3}));
  assert (numel (k) == 1, "no message for %s", id);
  failed = false;
  try
    evalin ("caller", code);
  catch e
    failed = true;
    assert (strcmp (e.identifier, id), "%s: identifier %s, not %s", code, e.identifier, id);
    want = regexprep (regexptranslate ("escape", t{k,3}), '%s', '.+');    # a detail there: any
    ok = ! isempty (regexp (e.message, ["^(" part{2} ": )?" want "$"], "once"));
    assert (ok, "%s: '%s', not '%s'", code, e.message, t{k,3});
  end_try_catch
  assert (failed, "%s: no error", code);
endfunction
