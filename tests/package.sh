#!/bin/sh
# Builds the Debian package and checks it as a Debian maintainer would:
# lintian, every tag counted, and hardening-check. tests/readme.sh installs
# it and runs it, as the README says.
set -eu
cd "$(dirname "$0")/.."

cmake --workflow --preset package
deb=$(ls build/release/prj1b_*.deb)
dpkg-deb --info "$deb"
# Any tag at all fails, informational ones included; lintian's exit status
# alone would pass warnings.
lintian --display-info --fail-on error,warning,info "$deb"
# The five protections Debian's hardening gives, by the lines that name
# them: hardening-check's exit status also counts checks that its versions
# add (branch protection, an arm64 feature, on Debian 13), and control-flow
# protection, which the linker marks only where every object it links has it.
dir=$(mktemp -d)
dpkg-deb -x "$deb" "$dir"
hardening-check "$dir/usr/bin/prj1b" >"$dir/report" || true
cat "$dir/report"
for what in 'Position Independent Executable' 'Stack protected' 'Fortify Source functions' \
	'Read-only relocations' 'Immediate binding'; do
	grep -q "^ $what: yes" "$dir/report" || { echo "package: $what: not yes" >&2; exit 1; }
done
rm -rf "$dir"
echo "package: no lintian tag, and hardened"

# A release tarball has no git history to date the package by: built from
# one twice, a second apart, the package is still the same bytes.
src=$(mktemp -d)
git archive HEAD | tar -x -C "$src"
for i in 1 2; do
	(cd "$src" && env -u SOURCE_DATE_EPOCH cmake --workflow --preset package >/dev/null)
	mv "$src"/build/release/prj1b_*.deb "$src/$i.deb"
	sleep 1
done
cmp "$src/1.deb" "$src/2.deb"
rm -rf "$src"
echo "package: from a tarball too, the same bytes each build"
