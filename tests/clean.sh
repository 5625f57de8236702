#!/bin/sh
# Runs one of the other scripts here and requires that it leave nothing
# behind, however it ends: no file in the temporary folder it is given, no
# mount there, no process of its own, and the package prj1b, and every
# package dpkg --audit reports on, as dpkg had them before. Given a signal
# and a condition, stops it with that signal once the condition holds, sent
# to its process group (-g) or to the script alone (-p), and requires the
# status the signal gives.
#
#	tests/clean.sh [-g|-p HUP|INT|TERM CONDITION] SCRIPT [ARG...]
#
# CONDITION is a shell command, tried five times a second; in it $LOG is
# the script's output so far and $TMPDIR its temporary folder.
set -eu
how="" sig="" when=""
case ${1:-} in
-g | -p) how=$1 sig=$2 when=$3 && shift 3 ;;
esac
case $sig in
'') want=0 ;;
HUP) want=129 ;;
INT) want=130 ;;
TERM) want=143 ;;
*) echo "clean: the signal is HUP, INT or TERM" >&2 && exit 2 ;;
esac

top=$(mktemp -d)
watch=""
# The script runs in a session of its own, where a signal to this one does
# not reach: whatever is left of it ends with this.
trap '[ -z "$watch" ] || kill "$watch" 2>/dev/null || true
	[ ! -s "$top/pid" ] || kill -TERM "-$(cat "$top/pid")" 2>/dev/null || true
	rm -rf "$top"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
# The tests run the program as nobody from a folder below here.
chmod 755 "$top"
mkdir -m 755 "$top/tmp"
export LOG="$top/log"
status() { dpkg-query -W -f '${db:Status-Status}' prj1b 2>/dev/null || true; }
before=$(status)
audit=$(dpkg --audit 2>&1)

# The signal is sent from the background, and the script runs in the
# foreground: a job started in the background would ignore SIGINT, and so,
# being a shell, could never trap it.
if [ -n "$how" ]; then
	(
		until [ -s "$top/pid" ] && TMPDIR="$top/tmp" sh -c "$when" >/dev/null 2>&1; do
			sleep 0.2
		done
		pid=$(cat "$top/pid")
		if [ "$how" = -g ]; then
			echo "clean: SIG$sig to $1's process group, once $when"
			kill "-$sig" "-$pid"
		else
			echo "clean: SIG$sig to $1 alone, once $when"
			kill "-$sig" "$pid"
		fi
		: >"$top/sent"
	) &
	watch=$!
fi
# Every process the script starts, but for one that clears its
# environment, carries the mark.
rc=0
env PRJ1B_CLEAN="$top" TMPDIR="$top/tmp" setsid sh -c 'echo $$ >"$0" && exec "$@"' \
	"$top/pid" "$@" >"$LOG" 2>&1 </dev/null || rc=$?
if [ -n "$watch" ]; then
	kill "$watch" 2>/dev/null || true
	wait "$watch" || true
	watch=""
	test -e "$top/sent" || { cat "$LOG"; echo "clean: $1 ended before $when" >&2; exit 1; }
fi
cat "$LOG"

left=$(ls -A "$top/tmp" | tr '\n' ' ')
mounts=$(grep -o " $top/[^ ]*" /proc/mounts | tr -d '\n' || true)
procs=""
for p in /proc/[0-9]*; do
	if grep -q -s -a "PRJ1B_CLEAN=$top" "$p/environ" ||
		case $(readlink "$p/cwd" 2>/dev/null) in "$top"/*) true ;; *) false ;; esac; then
		procs="$procs $(tr '\0\n' '  ' <"$p/cmdline" 2>/dev/null | cut -c1-80);"
	fi
done
after=$(status)
audited=$(dpkg --audit 2>&1)
bad=0
[ -z "$left" ] || { echo "clean: $1 left in its temporary folder: $left" >&2; bad=1; }
[ -z "$mounts" ] || { echo "clean: $1 left mounted:$mounts" >&2; bad=1; }
[ -z "$procs" ] || { echo "clean: $1 left running:$procs" >&2; bad=1; }
[ "$after" = "$before" ] || {
	echo "clean: $1 left the package prj1b ${after:-unknown to dpkg}, where it was ${before:-unknown to dpkg}" >&2
	bad=1
}
[ "$audited" = "$audit" ] || { echo "$audited"; echo "clean: $1 left dpkg --audit saying the above" >&2; bad=1; }
[ "$rc" = "$want" ] || { echo "clean: $1 exited $rc, not $want" >&2; bad=1; }
[ $bad = 0 ] || exit 1
echo "clean: $1 exited $rc and left nothing behind"
