# Sourced by the scripts here that need root and a folder of their own:
# makes the folder, $work, the temporary folder of all they run, and
# removes it however the script ends: stopped by a signal to its process
# group (Ctrl-C, a closed terminal), at once; by one to the script alone,
# once the command it waits for has ended. A script with more to undo
# defines undo(), which runs just before the folder goes.
work=$(mktemp -d)
# The tests run the program as nobody from a folder in here.
chmod 755 "$work"
export TMPDIR="$work"

# The processes at work in the folder or on it. A signal to the group ends
# a command's shell at once, but not always what it started: dpkg stopped
# there still holds its lock for a moment, the build reprotest runs by su
# in a session of its own ends two seconds later, and the disorderfs it
# mounts ends once unmounted.
inside() {
	for p in /proc/[0-9]*; do
		case "$(readlink "$p/cwd") $(tr '\0' ' ' <"$p/cmdline")" in
		*"$work"*) echo "${p#/proc/}" ;;
		esac 2>/dev/null
	done
}
unmount() {
	grep -o " $work/[^ ]*" /proc/mounts | sort -r | while read -r m; do umount "$@" "$m" || true; done
}
undo() { :; }
# Those are given ten seconds, then killed; then the rest is undone. The
# script's own folder is left first, not to count among them.
clean() {
	cd /
	i=0
	while [ -n "$(inside)" ] && [ $i -lt 50 ]; do
		unmount 2>/dev/null
		sleep 0.2
		i=$((i + 1))
	done
	kill -KILL $(inside) 2>/dev/null || true
	unmount -l
	undo
	rm -rf --one-file-system "$work"
}
trap clean EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
