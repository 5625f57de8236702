#!/bin/sh
# Follows the README as a new user would: on a fresh clone of the commit,
# each command of the sh blocks of its first section, top to bottom, the
# install going to a scratch prefix. Then checks what those commands
# promise, and that the removal it gives undoes the install. Given a .deb
# built elsewhere, checks that the package built here is the same bytes.
# Needs root, for dpkg -i.
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'dpkg -r prj1b >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
git clone -q "$(pwd)" "$work/prj1b"
cd "$work/prj1b"

# The commands before "## Requirements", one a line, less their comments.
sed -n '1,/^## Requirements/p' README.md |
	awk '/^```sh$/ { on = 1; next } /^```$/ { on = 0 } on' |
	sed 's/[[:space:]]*#.*//' >"$work/steps"
test -s "$work/steps"
while IFS= read -r cmd; do
	cmd=$(echo "$cmd" | sed "s|--prefix /usr/local|--prefix $work/prefix|")
	echo "readme: $cmd"
	sh -c "$cmd" </dev/null
done <"$work/steps"

# What those commands promise, and the Development section's gentree.
p=$work/prefix
"$p/bin/prj1b" <examples/tree.txt | cmp - examples/tree.out
test -s "$p/share/man/man1/prj1b.1.gz" && test -s "$p/share/doc/prj1b/copyright"
# Each relative link of the installed pages leads to an installed file.
for page in "$p/share/doc/prj1b/README.md" "$p/share/doc/prj1b/docs/measurements.md"; do
	grep -o '](\([^):]*\))' "$page" | sed 's/^](//; s/)$//' | while IFS= read -r link; do
		test -e "$(dirname "$page")/$link" ||
			{ echo "readme: $page links to $link, not installed" >&2; exit 1; }
	done
done
/usr/bin/prj1b <examples/tree.txt | cmp - examples/tree.out
test "$(man -w prj1b)" = /usr/share/man/man1/prj1b.1.gz
build/release/gentree balanced 7 | build/release/prj1b >/dev/null

# The removal the README gives, the first command in its text that names
# the manifest, run after the package step and dpkg -i: it takes away every
# file the install wrote, and nothing that dpkg did.
rm=$(grep -o '`[^`]* [^`]*install_manifest\.txt[^`]*`' README.md | head -1 | tr -d '`')
test -n "$rm" || { echo "readme: no removal command in the README" >&2; exit 1; }
test -n "$(find "$p" ! -type d)" || { echo "readme: nothing was installed" >&2; exit 1; }
echo "readme: $rm"
sh -c "$rm" </dev/null
test -z "$(find "$p" ! -type d)" || { echo "readme: files left after the removal" >&2; exit 1; }
dpkg -V prj1b || { echo "readme: the removal took files of the package" >&2; exit 1; }
if [ $# -gt 0 ]; then
	cmp "$1" build/package/prj1b_*.deb
	echo "readme: the package is the same bytes as $1"
fi
echo "readme: every command of the first section works, in order, on a fresh clone"
