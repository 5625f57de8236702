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

# One source in its three forms gives one package: a clone, the same with no
# git history (as where git is not installed), and a release tarball, each
# built in its turn, seconds apart.
src=$(mktemp -d)
git clone -q "$(pwd)" "$src/clone"
cp -R "$src/clone" "$src/nogit"
rm -rf "$src/nogit/.git"
mkdir "$src/tarball"
git archive HEAD | tar -x -C "$src/tarball"
for form in clone nogit tarball; do
	(cd "$src/$form" && env -u SOURCE_DATE_EPOCH cmake --workflow --preset package >/dev/null)
done
(cd "$src" && sha256sum */build/release/prj1b_*.deb) | tee "$src/sums"
test "$(cut -d' ' -f1 "$src/sums" | sort -u | wc -l)" = 1 ||
	{ echo "package: the three forms of one source give different packages" >&2; exit 1; }
rm -rf "$src"
echo "package: a clone, a clone without git and a tarball give the same bytes"
