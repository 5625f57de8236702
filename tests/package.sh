#!/bin/sh
# Builds the Debian package, checks it with lintian, installs it, runs the
# installed prj1b on an example, then removes the package again. Needs root.
set -eu
cd "$(dirname "$0")/.."

cmake --workflow --preset package
deb=$(ls build/release/prj1b_*.deb)
dpkg-deb --info "$deb"
# Any error or warning fails; lintian's exit status alone would pass warnings.
lintian --fail-on error,warning "$deb"
dpkg -i "$deb"
trap 'dpkg -r prj1b >/dev/null' EXIT

/usr/bin/prj1b < examples/tree.txt > build/release/installed.out
cmp build/release/installed.out examples/tree.out
test "$(man -w prj1b)" = /usr/share/man/man1/prj1b.1.gz
echo "package: lintian-clean; installed prj1b lists examples/tree.txt as expected"
