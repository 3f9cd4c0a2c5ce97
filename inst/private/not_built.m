function not_built (cmd)
%NOT_BUILT  The error of a help file run in place of its compiled command.
%   The help files of the compiled commands are functions that only raise
%   this error, which says what is the case wherever it is raised: the
%   compiled command is not ahead of its help file on the path.
  folder = fileparts (fileparts (mfilename ('fullpath')));
  if exist ('OCTAVE_VERSION', 'builtin')
    binary = [cmd '.oct or ' cmd '.mex'];
    where = 'run pkg load givqr, or addpath the folder it was built in (build/octave, build/mex or build/mex-octave)';
  else
    binary = [cmd '.' mexext];
    where = 'addpath the folder it was built in (build/mex-matlab by givqr_build, or build/matlab by CMake)';
  end
  error (['givqr:' cmd ':notBuilt'], ...
         ['%s: %s holds only the help of %s, and comes first on the path; ' ...
          'the command is the compiled %s: %s, and work outside %s.'], ...
         cmd, fullfile (folder, [cmd '.m']), cmd, binary, where, folder);
end
