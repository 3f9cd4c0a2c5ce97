## failures (): the calls of tests/failures.def, one row each: the code of
## the call, as Octave runs it, and the identifier it must end in; and the
## variables those calls use, as name, text pairs.  apply's rows stand for
## givfwd and givinv alike.
function [t, vars] = failures ()
  def = fileread (fullfile (fileparts (mfilename ("fullpath")), "..", "failures.def"));
  vars = regexp (def, 'VARIABLE\((\w+), "([^"]*)"\)', "tokens");
  rows = regexp (def, 'FAILURE\((\d+), (\w+), (\w+), "([^"]*)"\)', "tokens");
  t = cell (0, 2);
  for r = rows
    [nout, cmd, key, calls] = r{1}{:};
    if (strcmp (cmd, "apply"))
      cmds = {"givfwd", "givinv"};
    else
      cmds = {cmd};
    endif
    outs = "";
    if (str2double (nout) > 0)
      outs = ["[o{1:" nout "}] = "];
    endif
    for c = cmds
      for call = strsplit (calls, " || ")
        t(end+1,:) = {[outs c{1} " (" call{1} ");"], ["givqr:" c{1} ":" key]};
      endfor
    endfor
  endfor
endfunction
