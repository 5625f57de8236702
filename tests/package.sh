#!/bin/sh
# Checks the Debian package as a Debian maintainer would, and leaves the one
# it checked in build/checked/, for tests/readme.sh. Needs root.
#
# Built from a clone of HEAD in a namespace of its own (tests/confine.sh),
# it is hardened, has no lintian tag and no date but the changelog's, and
# one source gives it byte for byte, in each form and under reprotest.
set -eu
cd "$(dirname "$0")/.."
[ -n "${PRJ1B_INSIDE:-}" ] || exec tests/confine.sh package.sh
fail() { echo "package: $*" >&2; exit 1; }
# The dates checked are the changelog's.
unset SOURCE_DATE_EPOCH

# Three forms of one source, each built in its turn under another umask: a
# clone (022), the same with no git history (002, as where git is not
# installed), a release tarball (077). The clone's package is the one checked.
git clone -q . /tmp/clone
cp -R /tmp/clone /tmp/nogit && rm -rf /tmp/nogit/.git
for d in tarball reprotest; do mkdir /tmp/$d && git archive HEAD | tar -x -C /tmp/$d; done
for form in clone:022 nogit:002 tarball:077; do
	(cd "/tmp/${form%:*}" && umask "${form#*:}" && cmake --workflow --preset package >/dev/null)
done
(cd /tmp && sha256sum */build/package/prj1b_*.deb) | tee /tmp/sums
test "$(cut -d' ' -f1 /tmp/sums | sort -u | wc -l)" = 1 || fail "the three forms give different packages"
deb=$(ls /tmp/clone/build/package/prj1b_*.deb)

# Debian's five protections, each by its line, before lintian, which knows
# four and would stop first. hardening-check's status also counts what its
# versions add (branch protection, arm64's, on Debian 13), and control-flow
# protection, which glibc's start-up files lack.
dpkg-deb -x "$deb" /tmp/root
hardening-check /tmp/root/usr/bin/prj1b >/tmp/report || true
cat /tmp/report
for what in 'Position Independent Executable' 'Stack protected' 'Fortify Source functions' \
	'Read-only relocations' 'Immediate binding'; do
	grep -q "^ $what: yes" /tmp/report || fail "$what: not yes"
done
# Any tag at all fails; lintian's exit status alone would pass warnings.
lintian --display-info --fail-on error,warning,info "$deb"
echo "package: hardened, and no lintian tag"

# Every date in the package, of its members and their files, is the newest
# changelog entry's, never the day of the build.
when=$(dpkg-parsechangelog -l docs/changelog -S Timestamp)
{
	TZ=UTC0 ar tv "$deb" | awk '{ print $4, $5, $6, $7 }'
	dpkg-deb --ctrl-tarfile "$deb" | TZ=UTC0 tar -tv --full-time | awk '{ print $4, $5 }'
	dpkg-deb --fsys-tarfile "$deb" | TZ=UTC0 tar -tv --full-time | awk '{ print $4, $5 }'
} | sort -u >/tmp/dates
cat /tmp/dates
TZ=UTC0 date -d "@$when" '+%b %-d %H:%M %Y%n%F %T' | sort | cmp -s /tmp/dates - ||
	fail "dates other than the changelog's, $(TZ=UTC0 date -d "@$when")"
echo "package: every date is the changelog's"

# Another generator, under umask 077, gives the modes of 022.
(cd /tmp/tarball/build/package && umask 077 && cpack -G TGZ >/dev/null)
tar -tzvf /tmp/tarball/build/package/prj1b-*.tar.gz |
	awk '$1 !~ /^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x)$/' >/tmp/modes
test ! -s /tmp/modes || { cat /tmp/modes; fail "modes that follow umask 077"; }
echo "package: a .tar.gz made under umask 077 has the modes of 022"

# A second build of a release tarball with all that reprotest varies, the
# clock, paths, environment, locale, umask, file order, kernel, CPU count
# and host name among it, gives the same bytes. Not the user: reprotest
# 0.7.23 runs the build by sudo -h localhost, which Debian 12's sudo refuses.
(cd /tmp && reprotest --vary=-user_group -s reprotest \
	'cmake --workflow --preset package >/dev/null' 'build/package/prj1b_*.deb')
echo "package: reprotest finds no difference"

rm -rf build/checked && mkdir -p build/checked && cp "$deb" build/checked/
echo "package: all checks hold for build/checked/${deb##*/}"
