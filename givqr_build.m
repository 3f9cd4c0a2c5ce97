function givqr_build (outdir)
%GIVQR_BUILD  Build givfact, givfwd and givinv with this MATLAB's or Octave's mex.
%   GIVQR_BUILD compiles the three commands from the sources beside this
%   file with the mex command of the running MATLAB or Octave, into
%   build/mex-matlab (MATLAB) or build/mex-octave (Octave) beside this file,
%   and copies their help files there.  Then addpath that folder.
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

  inc = cellfun (@(d) ['-I' fullfile(root, d)], {'core', 'host', 'givfact', 'apply'}, 'UniformOutput', false);
  apply = {'apply/apply_mex.cpp', 'apply/givfwd.cpp', 'apply/givinv.cpp', 'apply/check.cpp'};
  commands = {
    'givfact', {'givfact/givfact_mex.cpp', 'givfact/QR.cpp', 'givfact/check.cpp'}
    'givfwd',  [{'apply/givfwd_mex.cpp'}, apply]
    'givinv',  [{'apply/givinv_mex.cpp'}, apply]};

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
        for k = 1:size (commands, 1)
          files = sources (root, commands{k,2});
          mex (inc{:}, '-o', fullfile (outdir, [commands{k,1} '.mex']), files{:});
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
      for k = 1:size (commands, 1)
        files = sources (root, commands{k,2});
        mex (flags{:}, inc{:}, '-outdir', outdir, '-output', commands{k,1}, files{:});
      end
    end
  catch err
    cd (here);
    rmdir (work, 's');
    rethrow (err);
  end
  cd (here);
  rmdir (work, 's');

  for f = {'givfact.m', 'givfwd.m', 'givinv.m', 'givsmooth.m', 'Contents.m', 'private'}
    copyfile (fullfile (root, 'inst', f{1}), fullfile (outdir, f{1}));
  end
  fprintf ('givfact, givfwd and givinv built into %s, with givsmooth and the help\n', outdir);
end

function files = sources (root, names)
  files = cellfun (@(f) fullfile (root, f), [names, {'host/mexversion.cpp'}], 'UniformOutput', false);
end

function p = absolute (p)
  here = pwd ();
  cd (p);
  p = pwd ();
  cd (here);
end
