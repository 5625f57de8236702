#!/bin/sh
# Builds the Debian package and checks it as a Debian maintainer would:
# lintian, every tag counted, and hardening-check; then that its dates are
# the changelog's or SOURCE_DATE_EPOCH's, that its modes do not follow the
# umask, with another generator too, and that one source gives one
# package, by hand and by reprotest. tests/readme.sh installs it and runs
# it, as the README says.
#
# The source it compares is HEAD's, so changes not committed are refused
# rather than left unbuilt. All it writes outside build/, lintian's and
# reprotest's temporary folders included, is in the folder of
# tests/scratch.sh.
set -eu
cd "$(dirname "$0")/.."
test -z "$(git status --porcelain)" ||
	{ echo "package: the working tree has changes; commit them, since this builds HEAD" >&2; exit 1; }
# The dates checked are the changelog's.
unset SOURCE_DATE_EPOCH
. tests/scratch.sh

cmake --workflow --preset package
deb=$(ls build/package/prj1b_*.deb)
dpkg-deb --info "$deb"
# The five protections Debian's hardening gives, by the lines that name
# them, first: lintian knows of four of them too, and would stop the script
# before these lines are read. hardening-check's exit status also counts
# checks that its versions add (branch protection, an arm64 feature, on
# Debian 13), and control-flow protection, which the linker marks only where
# every object it links has it.
dpkg-deb -x "$deb" "$work/root"
hardening-check "$work/root/usr/bin/prj1b" >"$work/report" || true
cat "$work/report"
for what in 'Position Independent Executable' 'Stack protected' 'Fortify Source functions' \
	'Read-only relocations' 'Immediate binding'; do
	grep -q "^ $what: yes" "$work/report" || { echo "package: $what: not yes" >&2; exit 1; }
done
# Any tag at all fails, informational ones included; lintian's exit status
# alone would pass warnings.
lintian --display-info --fail-on error,warning,info "$deb"
echo "package: hardened, and no lintian tag"

# Every date in the package, its ar members' and those of every file in
# them, is the newest changelog entry's, never the day of the build.
when=$(dpkg-parsechangelog -l docs/changelog -S Timestamp)
{
	TZ=UTC0 ar tv "$deb" | awk '{ print $4, $5, $6, $7 }'
	dpkg-deb --ctrl-tarfile "$deb" | TZ=UTC0 tar -tv --full-time | awk '{ print $4, $5 }'
	dpkg-deb --fsys-tarfile "$deb" | TZ=UTC0 tar -tv --full-time | awk '{ print $4, $5 }'
} | sort -u >"$work/dates"
cat "$work/dates"
TZ=UTC0 date -d "@$when" '+%b %-d %H:%M %Y%n%F %T' | sort >"$work/want"
cmp -s "$work/dates" "$work/want" ||
	{ echo "package: dates other than the changelog's, $(head -1 "$work/want")" >&2; exit 1; }
echo "package: every date is the changelog's"

# An empty SOURCE_DATE_EPOCH counts as unset; one that is not a date a tar
# header holds stops the build, and says so.
cp "$deb" "$work/first.deb"
SOURCE_DATE_EPOCH='' cmake --workflow --preset package >/dev/null
cmp "$deb" "$work/first.deb" || { echo "package: an empty SOURCE_DATE_EPOCH is not unset" >&2; exit 1; }
for bad in abc 12x -1 8589934592; do
	if SOURCE_DATE_EPOCH=$bad cmake --workflow --preset package >"$work/log" 2>&1; then
		echo "package: SOURCE_DATE_EPOCH=$bad was taken" >&2
		exit 1
	fi
	grep -q "SOURCE_DATE_EPOCH is \"$bad\"" "$work/log" ||
		{ cat "$work/log"; echo "package: SOURCE_DATE_EPOCH=$bad failed unnamed" >&2; exit 1; }
done
echo "package: SOURCE_DATE_EPOCH empty is unset, and not a date is refused"

# One source gives one package in each of its three forms, each built in its
# turn, seconds apart, and each under another umask: a clone (022), the
# same with no git history (002, as where git is not installed), and a
# release tarball (077).
git clone -q "$(pwd)" "$work/clone"
cp -R "$work/clone" "$work/nogit"
rm -rf "$work/nogit/.git"
mkdir "$work/tarball"
git archive HEAD | tar -x -C "$work/tarball"
for form in clone:022 nogit:002 tarball:077; do
	(cd "$work/${form%:*}" && umask "${form#*:}" && cmake --workflow --preset package >/dev/null)
done
(cd "$work" && sha256sum */build/package/prj1b_*.deb) | tee "$work/sums"
test "$(cut -d' ' -f1 "$work/sums" | sort -u | wc -l)" = 1 ||
	{ echo "package: the three forms of one source give different packages" >&2; exit 1; }
echo "package: a clone, a clone without git and a tarball, under three umasks, give one package"

# Under umask 077, every folder is 0755 and every file 0644 or 0755, in the
# .deb and in what another generator makes of the same build.
(cd "$work/tarball/build/package" && umask 077 && cpack -G TGZ >/dev/null)
{
	dpkg-deb --fsys-tarfile "$work"/tarball/build/package/prj1b_*.deb | tar -tv
	tar -tzvf "$work"/tarball/build/package/prj1b-*.tar.gz
} | awk '$1 !~ /^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x)$/' >"$work/modes"
test ! -s "$work/modes" ||
	{ cat "$work/modes"; echo "package: modes that follow umask 077" >&2; exit 1; }
echo "package: the .deb and a .tar.gz made under umask 077 have the modes of 022"

# Debian's reproducible-builds checker on a release tarball: a second build
# with the clock, the build path, the environment, HOME, PATH, the locale,
# the time zone, the umask, the order of files in a folder, the kernel's
# name, address randomisation, the CPU count and the host name all varied
# gives the same bytes. Not the user: reprotest 0.7.23 runs the build as
# another by sudo -h localhost, which Debian 12's sudo refuses. The host
# name is varied in a user namespace, which Linux will not make inside a
# chroot, so there it is left out too, and said.
vary=-user_group
unshare -r --uts true 2>/dev/null || {
	vary=$vary,-domain_host
	echo "package: no user namespace can be made here: the host name is not varied" >&2
}
mkdir "$work/reprotest"
git archive HEAD | tar -x -C "$work/reprotest"
(cd "$work" && reprotest --vary="$vary" -s reprotest \
	'cmake --workflow --preset package >/dev/null' 'build/package/prj1b_*.deb')
echo "package: reprotest finds no difference"
