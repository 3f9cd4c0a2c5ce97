#!/bin/sh
# cluster.sh OCTDIR: the README's recipe for a panel over a cluster of Octave
# servers (octave-parallel: pserver, pconnect, netcellfun), on the loopback
# address alone.  A server is started here, sent the columns of a panel in
# blocks, and its results must be the bits of a local call; then it is
# stopped.  Everything runs in namespaces of its own: a network with only a
# loopback (the server listens on every address it has), a /tmp of its own
# (and /dev/shm, holding a copy of the commands),
# and processes that end with the test.  Exit 77 (skipped) where this machine
# cannot run the package's cluster mode, saying why.
#
# One server, running two local jobs: octave-parallel 4.0.1's pconnect
# reaches every server at ports 12501 and 12502 and takes each host once, so
# 127.0.0.1 holds one server; a second needs a second address.
set -u
octdir=$1
if [ "$(id -u)" -ne 0 ]; then
    echo "cluster: skipped: needs root, for a private network (and octave-pserver will not run as root: it runs as nobody)"
    exit 77
fi
exec timeout -k 5 120 unshare --net --mount --fork --pid --mount-proc --propagation private sh -u -c '
    octdir=$1
    ip link set lo up || { echo "cluster: skipped: no loopback in a private network"; exit 77; }
    # the commands copied out first: a build below /tmp would be hidden
    mount -t tmpfs -o mode=1777 tmpfs /dev/shm
    cp -R "$octdir" /dev/shm/octave && octdir=/dev/shm/octave
    mount -t tmpfs -o mode=1777 tmpfs /tmp
    server=$(find /usr/libexec /usr/lib /usr/share/octave -name octave-pserver -type f 2>/dev/null | head -n 1)
    [ -n "$server" ] || { echo "cluster: octave-pserver not found (octave-parallel)"; exit 1; }
    setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/tmp \
        "$server" --octave-binary "$(command -v octave-cli)" --no-auth > /tmp/server.log 2>&1 &
    for k in $(seq 50); do
        ss -ltn 2>/dev/null | grep -q ":12502 " && break
        sleep 0.1
    done
    if ! ss -ltn | grep -q ":12502 "; then
        echo "cluster: skipped: the server did not start:"; cat /tmp/server.log; exit 77
    fi
    cd /tmp
    OCTAVE_HISTFILE=/dev/null octave-cli --norc --quiet --no-window-system --eval "
      pkg load parallel
      addpath (\"$octdir\");
      try
        c = pconnect ({\"127.0.0.1\"}, struct (\"use_tls\", false));
      catch e
        printf (\"cluster: skipped: pconnect failed: %s\n\", e.message); exit (77);
      end_try_catch
      reval (\"addpath (\\\"$octdir\\\");\", c(2));
      network_set (c(2), \"nlocaljobs\", 2);
      randn (\"state\", 9);
      Y = cumsum (randn (3000, 8));
      blocks = mat2cell (Y, rows (Y), diff (round (linspace (0, columns (Y), 5))));
      Z = cell2mat (netcellfun (c, @(b) givsmooth (b), blocks, \"UniformOutput\", false));
      sclose (c);
      same = isequal (typecast (Z(:), \"uint64\"), typecast (reshape (givsmooth (Y), [], 1), \"uint64\"));
      if (same)
        printf (\"cluster: 8 series in 4 blocks on a server at 127.0.0.1 (2 local jobs): the bits of a local call\n\");
      else
        printf (\"cluster: the server\x27s results differ from a local call\n\");
      endif
      exit (! same);
    "
    rc=$?
    [ $rc -eq 0 ] || { echo "the server said:"; cat /tmp/server.log /tmp/octave_error* 2>/dev/null; }
    exit $rc
' cluster "$octdir"
