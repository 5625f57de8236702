#!/bin/sh
# Stops a check script by a signal and requires that it leave nothing behind.
#
#	tests/stop.sh HUP|INT|TERM|KILL group|alone COMMAND SCRIPT [ARG...]
#
# The signal goes to the script's process group, as Ctrl-C sends it, or to
# it alone, once a command line that begins with COMMAND runs in a namespace
# below this one (dpkg -i, say, rather than any dpkg). Within 20 seconds
# no process of that namespace, no file in the TMPDIR given or /dev/shm may
# be left, dpkg's status and audit unchanged, and the status be 128 + n.
set -eu
sig=$1 to=$2 name=$3 && shift 3
fail() { echo "stop: $*" >&2; exit 1; }
case $sig in HUP) n=1 ;; INT) n=2 ;; KILL) n=9 ;; TERM) n=15 ;; *) fail "no signal $sig" ;; esac
given=$(mktemp -d)
trap 'rm -rf "$given" "$given.log"' EXIT
shm=$(ls -A /dev/shm) status=$(cksum </var/lib/dpkg/status) audit=$(dpkg --audit 2>&1)

# Signals given back: a job in the background ignores SIGINT, under nohup SIGHUP.
TMPDIR=$given env --default-signal setsid "$@" >"$given.log" 2>&1 </dev/null &
pid=$!
until p=$(pgrep -n -f "^$name"); do
	kill -0 $pid 2>/dev/null || { cat "$given.log"; fail "$1 ended before $name ran"; }
	sleep 0.1
done
ns=$(readlink "/proc/$p/ns/pid")
[ "$ns" != "$(readlink /proc/self/ns/pid)" ] || fail "$name runs in the namespace of the machine"
echo "stop: SIG$sig to $1 ($to) while $name runs"
[ "$to" = alone ] || kill -s "$sig" -- -$pid
[ "$to" = group ] || kill -s "$sig" $pid
wait $pid && rc=0 || rc=$?
cat "$given.log"

procs() { ls -l /proc/[0-9]*/ns/pid 2>/dev/null | grep -F -- "$ns" | cut -d/ -f3 | tr '\n' ' '; }
start=$(date +%s)
while [ -n "$(procs)" ] && [ $(($(date +%s) - start)) -lt 20 ]; do sleep 0.1; done
left=$(procs)$(ls -A "$given" | tr '\n' ' ')
[ "$(ls -A /dev/shm)" = "$shm" ] || left="$left /dev/shm: $(ls -A /dev/shm | tr '\n' ' ')"
[ "$(cksum </var/lib/dpkg/status)" = "$status" ] || left="$left /var/lib/dpkg/status"
[ "$(dpkg --audit 2>&1)" = "$audit" ] || left="$left dpkg --audit: $(dpkg --audit 2>&1)"
[ -z "$left" ] || fail "$1 left: $left"
[ "$rc" = $((128 + n)) ] || fail "$1 exited $rc, not $((128 + n))"
echo "stop: $1 exited $rc and left nothing, $(($(date +%s) - start)) s after"
