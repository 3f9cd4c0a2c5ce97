## fails (code, id): code, run in the caller's workspace, ends in the error
## id, with the message check/messages.def gives that failure (after "cmd: "
## where the host names the command).
function fails (code, id)
  try
    evalin ("caller", code);
  catch e
    assert (strcmp (e.identifier, id), "%s: identifier %s, not %s", code, e.identifier, id);
    part = strsplit (id, ":");
    text = message (part{2}, part{3});
    ok = strcmp (e.message, text) || strcmp (e.message, [part{2} ": " text]);
    assert (ok, "%s: '%s', not '%s'", code, e.message, text);
    return;
  end_try_catch
  error ("%s: no error", code);
endfunction

## The message of failure key of command cmd in check/messages.def.
function text = message (cmd, key)
  def = fileread (fullfile (fileparts (mfilename ("fullpath")), "..", "..", "check", "messages.def"));
  t = regexp (def, 'MESSAGE\((\w+), (\w+), "([^"]*)"\)', "tokens");
  t = vertcat (t{:});
  owner = strcmp (t(:,1), cmd) | (strcmp (t(:,1), "apply") & any (strcmp (cmd, {"givfwd", "givinv"})));
  k = find (owner & strcmp (t(:,2), key));
  assert (numel (k) == 1, "no message for givqr:%s:%s", cmd, key);
  text = t{k,3};
endfunction
