## What inst/ says, held to the sources: each help's table of errors against
## check/messages.def.

%!function t = messages ()
%!  def = fileread (fullfile (fileparts (which ("fails")), "..", "..", "check", "messages.def"));
%!  t = regexp (def, 'MESSAGE\((\w+), (\w+), "([^"]*)"\)', "tokens");
%!  t = vertcat (t{:});
%!endfunction

%!test
%! t = messages ();
%! inst = fullfile (fileparts (which ("fails")), "..", "..", "inst");
%! for cmd = {"givfact", "givfwd", "givinv"}
%!   help = fileread (fullfile (inst, [cmd{1} ".m"]));
%!   rows = regexp (help, '%[ \t]+(\S[^\n]*?\.)[ \t]+givqr:(\w+):(\w+)', "tokens");
%!   rows = vertcat (rows{:});
%!   assert (all (strcmp (rows(:,2), cmd{1})), "%s: another command's identifier", cmd{1});
%!   own = strcmp (t(:,1), cmd{1}) | (strcmp (t(:,1), "apply") & ! strcmp (cmd{1}, "givfact"));
%!   for k = find (own)'
%!     r = find (strcmp (rows(:,3), t{k,2}));
%!     assert (numel (r) == 1, "%s: givqr:%s:%s is not in its help once", cmd{1}, cmd{1}, t{k,2});
%!     assert (strcmp (rows{r,1}, t{k,3}), "%s: the help says '%s' for %s", cmd{1}, rows{r,1}, t{k,2});
%!   endfor
%! endfor
