#!/bin/sh
# Follows the README as a new user would: on a fresh clone of HEAD, each
# command of the sh blocks of its first section, top to bottom, the install
# going to a scratch prefix. Then checks what those commands promise, that
# packaging by the build's other routes leaves the install's manifest alone,
# and that the removal it gives undoes the install. Given a .deb built
# elsewhere, checks that the package built here is the same bytes. Needs
# root, for dpkg -i.
#
# Changes not committed are refused: the clone would not hold them; so is a
# machine with prj1b installed, which this would replace and remove. All it
# writes is in the folder of tests/scratch.sh, and it removes the package
# as it removes that.
set -eu
given=${1:+$(readlink -f "$1")} # as the caller named it, before any cd
cd "$(dirname "$0")/.."
test -z "$(git status --porcelain)" ||
	{ echo "readme: the working tree has changes; commit them, since this clones HEAD" >&2; exit 1; }
known() { dpkg-query -W -f '${db:Status-Status}' prj1b 2>/dev/null | grep -qv '^not-installed$'; }
! known || { echo "readme: prj1b is installed; remove it first, since this installs and removes it" >&2; exit 1; }
audit=$(dpkg --audit)
. tests/scratch.sh
# dpkg -i stopped while man-db updates its index, as a signal to the group
# stops it, leaves man-db half-configured, as dpkg --audit says, until dpkg
# next configures it; here, at once.
undo() {
	! known || dpkg -r prj1b >/dev/null || echo "readme: prj1b could not be removed" >&2
	[ "$(dpkg --audit)" = "$audit" ] || dpkg --configure -a >/dev/null ||
		echo "readme: dpkg --configure -a failed" >&2
}
git clone -q "$(pwd)" "$work/prj1b"
cd "$work/prj1b"

# The commands before "## Requirements", one a line, less their comments.
sed -n '1,/^## Requirements/p' README.md |
	awk '/^```sh$/ { on = 1; next } /^```$/ { on = 0 } on' |
	sed 's/[[:space:]]*#.*//' >"$work/steps"
test -s "$work/steps" || { echo "readme: no sh block before ## Requirements" >&2; exit 1; }
while IFS= read -r cmd; do
	cmd=$(echo "$cmd" | sed "s|--prefix /usr/local|--prefix $work/prefix|")
	echo "readme: $cmd"
	sh -c "$cmd" </dev/null
done <"$work/steps"

# What those commands promise, and the Development section's gentree.
p=$work/prefix
"$p/bin/prj1b" <examples/tree.txt | cmp - examples/tree.out ||
	{ echo "readme: the installed prj1b does not list examples/tree.txt" >&2; exit 1; }
for f in share/man/man1/prj1b.1.gz share/doc/prj1b/copyright; do
	test -s "$p/$f" || { echo "readme: $f was not installed" >&2; exit 1; }
done
# Each relative link of the installed pages leads to an installed file.
for page in "$p/share/doc/prj1b/README.md" "$p/share/doc/prj1b/docs/measurements.md"; do
	test -s "$page" || { echo "readme: $page was not installed" >&2; exit 1; }
	grep -o '](\([^):]*\))' "$page" | sed 's/^](//; s/)$//' | while IFS= read -r link; do
		test -e "$(dirname "$page")/$link" ||
			{ echo "readme: $page links to $link, not installed" >&2; exit 1; }
	done
done
/usr/bin/prj1b <examples/tree.txt | cmp - examples/tree.out ||
	{ echo "readme: the package's prj1b does not list examples/tree.txt" >&2; exit 1; }
test "$(man -w prj1b)" = /usr/share/man/man1/prj1b.1.gz ||
	{ echo "readme: man prj1b does not find the package's page" >&2; exit 1; }
build/release/gentree balanced 7 >"$work/seven"
test "$(build/release/prj1b <"$work/seven" | wc -l)" -eq $((6 + 2 * 7)) ||
	{ echo "readme: gentree balanced 7 did not give a tree of 7 nodes" >&2; exit 1; }

# The build's other routes to a package, its target and cpack, with another
# generator too, keep the install's manifest as the install wrote it.
m=build/release/install_manifest.txt
cp "$m" "$work/manifest"
cmake --build build/release --target package >/dev/null
(cd build/release && cpack -G TGZ >/dev/null)
cmp "$m" "$work/manifest" ||
	{ echo "readme: packaging in build/release rewrote its install manifest" >&2; exit 1; }

# The removal the README gives, the first command in its text that names
# the manifest, run after the package step and dpkg -i: it takes away every
# file the install wrote, and nothing that dpkg did. dpkg -V exits 0 on a
# missing file, so any line it prints fails.
rm=$(grep -o '`[^`]* [^`]*install_manifest\.txt[^`]*`' README.md | head -1 | tr -d '`')
test -n "$rm" || { echo "readme: no removal command in the README" >&2; exit 1; }
echo "readme: $rm"
sh -c "$rm" </dev/null
test -z "$(find "$p" ! -type d)" || { echo "readme: files left after the removal" >&2; exit 1; }
v=$(dpkg -V prj1b 2>&1) && test -z "$v" ||
	{ echo "$v"; echo "readme: the removal took files of the package" >&2; exit 1; }
if [ -n "$given" ]; then
	cmp "$given" build/package/prj1b_*.deb ||
		{ echo "readme: the package built here is not the same bytes as $given" >&2; exit 1; }
	echo "readme: the package is the same bytes as $given"
fi
echo "readme: every command of the first section works, in order, on a fresh clone"
