## What inst/ says, held to the sources: each help's table of errors against
## core/messages.def.

%!test
%! t = messages ();
%! inst = fullfile (fileparts (which ("fails")), "..", "..", "inst");
%! for cmd = {"givfact", "givfwd", "givinv", "givsmooth", "givspline"}
%!   help = fileread (fullfile (inst, [cmd{1} ".m"]));
%!   rows = regexp (help, '%[ \t]+(\S[^\n]*?\.)(?:\n%)?[ \t]+givqr:(\w+):(\w+)', "tokens");
%!   rows = vertcat (rows{:});
%!   assert (all (strcmp (rows(:,2), cmd{1})), "%s: another command's identifier", cmd{1});
%!   own = strcmp (t(:,1), cmd{1}) | (strcmp (t(:,1), "apply") & any (strcmp (cmd{1}, {"givfwd", "givinv"})));
%!   for k = find (own)'
%!     r = find (strcmp (rows(:,3), t{k,2}));
%!     assert (numel (r) == 1, "%s: givqr:%s:%s is not in its help once", cmd{1}, cmd{1}, t{k,2});
%!     want = ["^" regexprep(regexptranslate("escape", t{k,3}), '%s', '.+') "$"];     # the detail's place: any
%!     assert (! isempty (regexp (rows{r,1}, want, "once")), "%s: the help says '%s' for %s", cmd{1}, rows{r,1}, t{k,2});
%!   endfor
%! endfor

## MATLAB reads inst/ and givqr_build.m: no Octave-only syntax outside
## comments and strings.  octave_only (text) lists the offending lines.
%!function bad = octave_only (text)
%!  bad = {};
%!  lines = strsplit (text, "\n");
%!  block = false;
%!  for k = 1:numel (lines)
%!    s = lines{k};
%!    if (regexp (s, '^\s*%\{\s*$'))
%!      block = true;
%!    elseif (regexp (s, '^\s*%\}\s*$'))
%!      block = false;
%!      continue;
%!    endif
%!    if (block)
%!      continue;
%!    endif
%!    ## the code of the line: strings and comments taken out
%!    code = ""; q = false; prev = " "; i = 0;
%!    while (i < numel (s))
%!      c = s(++i);
%!      if (q)
%!        if (c == "'" && i < numel (s) && s(i+1) == "'")
%!          i++;                            # '' inside a string
%!        elseif (c == "'")
%!          q = false; prev = "'";
%!        endif
%!        continue;
%!      endif
%!      if (c == "%" || (c == "." && numel (code) >= 2 && strcmp (code(end-1:end), "..")))
%!        break;
%!      elseif (c == "'" && ! (isletter (prev) || isdigit (prev) || any (prev == "_)]}.'")))
%!        q = true;
%!        continue;
%!      endif
%!      code(end+1) = c;
%!      if (! isspace (c))
%!        prev = c;
%!      endif
%!    endwhile
%!    if (regexp (code, '#|"|!|\+\+|[-+*/]=|\<(endif|endfor|endwhile|endfunction|endswitch|end_try_catch|end_unwind_protect|printf)\>', "once"))
%!      bad{end+1} = sprintf ("%d: %s", k, s);
%!    endif
%!  endfor
%!endfunction

%!test
%! root = fullfile (fileparts (which ("fails")), "..", "..");
%! files = [glob(fullfile (root, "inst", "*.m")); glob(fullfile (root, "inst", "private", "*.m")); ...
%!          {fullfile(root, "givqr_build.m")}];
%! assert (numel (files) > 5);
%! for f = files'
%!   bad = octave_only (fileread (f{1}));
%!   assert (isempty (bad), "%s: Octave-only syntax:\n%s", f{1}, strjoin (bad, "\n"));
%! endfor

## and the scan finds each construct (a scan that finds nothing proves nothing)
%!test
%! code = {"# note", "x = \"a\";", "if ~a, end % # \" ! in a comment", "b = a != 1;", "c = !a;", ...
%!         "i++;", "i += 1;", "endif", "endfor", "endwhile", "endfunction", "printf ('%d', 1);"};
%! bad = octave_only (strjoin (code, "\n"));
%! assert (numel (bad), numel (code) - 1);
%! assert (isempty (octave_only ("s = 'it''s # not \"code\"'; t = s'; u = [s' s']'; % c")));
%! assert (isempty (octave_only ("%{\n# a block comment\n%}\nv = 1;")));
