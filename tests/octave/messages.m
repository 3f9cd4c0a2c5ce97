## messages (): the failures of core/messages.def, one row each: command,
## key, message.
function t = messages ()
  def = fileread (fullfile (fileparts (mfilename ("fullpath")), "..", "..", "core", "messages.def"));
  t = regexp (def, 'MESSAGE\((\w+), (\w+), "([^"]*)"\)', "tokens");
  t = vertcat (t{:});
endfunction
