function not_built (cmd)
%NOT_BUILT  The error of a help file run in place of its compiled command.
%   The help files of the compiled commands are functions that only raise
%   this error, which says what is the case wherever it is raised: the
%   compiled command is not ahead of its help file on the path.
  folder = fileparts (fileparts (mfilename ('fullpath')));
  if exist ('OCTAVE_VERSION', 'builtin')
    binary = [cmd '.oct or ' cmd '.mex'];
  else
    binary = [cmd '.' mexext];
  end
  error (['givqr:' cmd ':notBuilt'], ...
         ['%s: %s holds only the help of %s, and comes first on the path; ' ...
          'the command is the compiled %s: run pkg load givqr (Octave), or addpath ' ...
          'the folder it was built in (build/octave, build/mex-matlab), and work outside %s.'], ...
         cmd, fullfile (folder, [cmd '.m']), cmd, binary, folder);
end
