function givqr_build (outdir)
%GIVQR_BUILD  Build the givqr commands with this MATLAB's or Octave's mex.
%   GIVQR_BUILD compiles the commands (givfact, givfwd, givinv, givsmooth,
%   givspline) from the sources beside this file (listed in sources.mk)
%   with the mex command of the running MATLAB or Octave, into
%   build/mex-matlab (MATLAB) or build/mex-octave (Octave) beside this
%   file, and copies their help files there.  Then addpath that folder.
%
%   GIVQR_BUILD (OUTDIR) builds into OUTDIR instead.
%
%   The results of the commands are fixed to the bit: every floating-point
%   operation rounded to double in the order written.  The sources ask the
%   compiler for that themselves; this script also passes the flags that say
%   so (-ffp-contract=off -fno-fast-math for GCC and clang, /fp:precise for
%   Microsoft's compiler, and SSE2 math on 32-bit x86).
%
%   Example, in MATLAB, from the folder of this file:
%     givqr_build
%     addpath build/mex-matlab
%     [Qbar, R] = givfact (100, 0.1);
%
%   See also MEX, GIVFACT.

  root = fileparts (mfilename ('fullpath'));
  octave = exist ('OCTAVE_VERSION', 'builtin') ~= 0;
  if nargin < 1
    if octave
      outdir = fullfile (root, 'build', 'mex-octave');
    else
      outdir = fullfile (root, 'build', 'mex-matlab');
    end
  end
  if ~exist (outdir, 'dir')
    mkdir (outdir);
  end
  outdir = absolute (outdir);

  % the sources of each command, from sources.mk (the list every build reads)
  lists = read_sources (fullfile (root, 'sources.mk'));
  commands = lists.COMMANDS;
  folders = lists.HEADERS;
  for k = 1:numel (commands)
    files = [lists.([commands{k} '_MEX']), lists.([commands{k} '_KERNELS'])];
    folders = [folders, cellfun(@fileparts, files, 'UniformOutput', false)];
  end
  inc = cellfun (@(d) ['-I' fullfile(root, d)], unique (folders), 'UniformOutput', false);

  % flags that keep every rounding, by compiler
  gnu = '-ffp-contract=off -fno-fast-math';
  c = computer ();
  if ~isempty (regexp (c, '^(GLNX86|PCWIN|MACI)$|^i[3-6]86', 'once'))
    gnu = [gnu ' -msse2 -mfpmath=sse'];
  end

  here = pwd ();
  work = tempname ();
  mkdir (work);
  cd (work);                    % object files go to a scratch folder
  try
    if octave
      old = getenv ('CXXFLAGS');
      setenv ('CXXFLAGS', [strtrim(mkoctfile ('-p', 'CXXFLAGS')) ' ' gnu]);
      try
        for k = 1:numel (commands)
          files = sources (root, lists, commands{k});
          mex (inc{:}, '-o', fullfile (outdir, [commands{k} '.mex']), files{:});
        end
      catch err
        setenv ('CXXFLAGS', old);
        rethrow (err);
      end
      setenv ('CXXFLAGS', old);
    else
      cc = mex.getCompilerConfigurations ('C++', 'Selected');
      if ~isempty (cc) && strcmp (cc(1).Manufacturer, 'Microsoft')
        flags = {'COMPFLAGS=$COMPFLAGS /fp:precise'};
      else
        flags = {['CXXFLAGS=$CXXFLAGS ' gnu]};
      end
      for k = 1:numel (commands)
        files = sources (root, lists, commands{k});
        mex (flags{:}, inc{:}, '-outdir', outdir, '-output', commands{k}, files{:});
      end
    end
  catch err
    cd (here);
    rmdir (work, 's');
    rethrow (err);
  end
  cd (here);
  rmdir (work, 's');

  for k = 1:numel (lists.INST)
    [d, name, ext] = fileparts (lists.INST{k});
    if ~exist (fullfile (outdir, d), 'dir')
      mkdir (fullfile (outdir, d));
    end
    copyfile (fullfile (root, 'inst', lists.INST{k}), fullfile (outdir, d, [name ext]));
  end
  fprintf ('%s built into %s, with their help\n', sprintf ('%s ', commands{:}), outdir);
end

% The lists of sources.mk, NAME = word word ..., as fields of a struct.
function lists = read_sources (file)
  lines = regexp (fileread (file), '^(\w+) = ([^\n]*)$', 'tokens', 'lineanchors');
  lists = struct ();
  for k = 1:numel (lines)
    lists.(lines{k}{1}) = regexp (strtrim (lines{k}{2}), '\s+', 'split');
  end
end

% The files of one command: its MEX gateway, then its kernels.
function files = sources (root, lists, cmd)
  names = [lists.([cmd '_MEX']), lists.([cmd '_KERNELS'])];
  files = cellfun (@(f) fullfile (root, f), names, 'UniformOutput', false);
end

function p = absolute (p)
  here = pwd ();
  cd (p);
  p = pwd ();
  cd (here);
end
