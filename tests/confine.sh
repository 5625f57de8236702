#!/bin/sh
# Runs a check script of this folder in a PID and mount namespace of its own.
#
#	tests/confine.sh [--root] [--net] SCRIPT [ARG...]
#
# However the script ends, SIGKILL included, the kernel ends all it started
# and mounted, and its /tmp (TMPDIR) and /dev/shm, tmpfs of its own. --root
# runs it in a copy of / that goes too (its upper layer in /tmp/upper);
# --net with no network. Only changes to tracked files are refused: the
# script works on a clone of HEAD, which would not hold them.
set -eu
root="" net=""
while case $1 in --root) root=1 ;; --net) net=--net ;; *) false ;; esac; do shift; done
script=$1 && shift
stop() { echo "${script%.sh}: $*" >&2; exit 1; }

if [ -z "${PRJ1B_INSIDE:-}" ]; then
	[ "$(id -u)" = 0 ] || stop "needs root, to make a namespace of its own"
	changed=$(git diff --name-only HEAD | tr '\n' ' ')
	[ -z "$changed" ] || stop "${changed}changed; commit first, since this runs on a clone of HEAD"
	unshare --pid --mount --fork $net true 2>/dev/null ||
		stop "this kernel or container makes no PID and mount namespace"
	# unshare ignores SIGINT and SIGTERM, and the namespace's first process
	# every signal it has no handler for: the namespace is ended by SIGKILL
	# to unshare, which passes it on, sent by the kernel if this shell is
	# killed. A shell runs its traps while it waits, not while a command
	# runs in the foreground.
	ns=""
	end() { [ -z "$ns" ] || kill -KILL "$ns" 2>/dev/null || :; exit "$1"; }
	trap 'end 129' HUP; trap 'end 130' INT; trap 'end 143' TERM
	PRJ1B_INSIDE=1 setpriv --pdeathsig KILL unshare --pid --mount --fork --kill-child --mount-proc \
		$net "$0" ${root:+--root} "$script" "$@" &
	ns=$!
	wait "$ns" || exit
	exit
fi

# Sized, as a tmpfs is memory: a script here used 180 MB of /tmp at most.
top=$PWD
mount -t tmpfs -o size=2g,mode=1777 tmp /tmp
mount -t tmpfs -o size=64m,mode=1777 shm /dev/shm
export TMPDIR=/tmp
# A checkout under either is hidden now: it is bound again where it was,
# from this shell's working folder, which a mount does not move.
case $top/ in /tmp/* | /dev/shm/*) mkdir -p "$top" && mount --no-canonicalize --bind "/proc/$$/cwd" "$top" ;; esac
[ -n "$root" ] || exec "$top/tests/$script" "$@"

for d in /usr /var; do
	! mountpoint -q $d || stop "$d is a file system of its own, which an overlay of / leaves out"
done
mkdir /tmp/upper /tmp/work /tmp/root
mount -t overlay -o lowerdir=/,upperdir=/tmp/upper,workdir=/tmp/work root /tmp/root ||
	stop "an overlay of / cannot be made here"
# An overlay holds none of the mounts below /: they are made again.
cd /tmp/root
for d in proc sys dev; do mount --rbind /$d $d; done
mount -t tmpfs -o size=64m,mode=755 run run
mount --bind /tmp tmp
mkdir -p ".$top" && mount --bind "$top" ".$top"
exec chroot . "$top/tests/$script" "$@"
