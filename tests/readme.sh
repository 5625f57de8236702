#!/bin/sh
# Follows the README's first section as a new user would, as root, on a
# clone of HEAD in a copy of the root that goes with it (tests/confine.sh):
# each command of its sh blocks as written, in order, the last block, the
# removals, once what the others promise is checked. Given a .deb, the
# package built here must be the same bytes.
set -eu
given=${1:+$(readlink -f "$1")} # as the caller named it
cd "$(dirname "$0")/.."
[ -n "${PRJ1B_INSIDE:-}" ] || exec tests/confine.sh --root readme.sh ${given:+"$given"}
fail() { echo "readme: $*" >&2; exit 1; }
git clone -q . /tmp/prj1b && cd /tmp/prj1b

# Each command, less its comment, after the number of its block.
sed -n '1,/^## Requirements/p' README.md | sed 's/[[:space:]]*#.*//' |
	awk '/^```sh$/ { n++; on = 1; next } /^```$/ { on = 0 } on { print n, $0 }' >/tmp/steps
last=$(tail -1 /tmp/steps | cut -d' ' -f1)
[ "${last:-0}" -gt 1 ] || fail "no sh blocks before ## Requirements, the last of them removals"
run() {
	while read -r n cmd; do
		[ "$n" "$1" "$last" ] || continue
		echo "readme: $cmd"
		sh -c "$cmd" </dev/null
		! dpkg -s prj1b >/dev/null 2>&1 || test -z "$(dpkg -V prj1b)" || fail "$cmd took files of the package"
	done </tmp/steps
}
run -lt

# What they promise, the exit status included, and the gentree of Development.
lists() { "$1" <examples/tree.txt >/tmp/out && cmp -s /tmp/out examples/tree.out || fail "$1 does not list examples/tree.txt"; }
lists /usr/local/bin/prj1b
lists /usr/bin/prj1b
test "$(man -aw prj1b | xargs readlink -f | sort | tr '\n' ' ')" = \
	"/usr/local/share/man/man1/prj1b.1.gz /usr/share/man/man1/prj1b.1.gz " ||
	fail "man prj1b finds $(man -aw prj1b | tr '\n' ' ')not both pages installed"
# Each relative link of the installed pages, in each form Markdown has
# (inline, reference, autolink), leads to an installed file.
doc=/usr/local/share/doc/prj1b
for page in $doc/copyright $doc/README.md $doc/docs/measurements.md; do
	test -s "$page" || fail "$page was not installed"
	grep -o -e '](\([^)]*\))' -e '^ *\[[^]]*\]: *[^ ]*' -e '<[^ >]*>' "$page" |
		sed 's/^](//; s/)$//; s/^ *\[[^]]*\]: *//; s/^<//; s/>$//; s/#.*//' | grep -v -e : -e @ -e '^$' |
		while read -r link; do test -e "${page%/*}/$link" || fail "$page links to $link, not installed"; done
done
test "$(build/release/gentree balanced 7 | build/release/prj1b | wc -l)" -eq $((6 + 2 * 7)) ||
	fail "gentree balanced 7 did not give a tree of 7 nodes"

# The build's other routes to a package keep the install's manifest as the
# install wrote it; the source package holds what git archive does.
cp build/release/install_manifest.txt /tmp/manifest
cmake --build build/release --target package package_source >/dev/null
(cd build/release && cpack -G TGZ >/dev/null)
cmp build/release/install_manifest.txt /tmp/manifest || fail "packaging in build/release rewrote its install manifest"
set -- build/release/prj1b-*-Source.*
[ $# = 1 ] && [ "${1%.tar.gz}" != "$1" ] || fail "the source package is $*, not one .tar.gz"
tar -tzf "$1" | sed 's|^[^/]*/||; /\/$/d; /^$/d' | sort >/tmp/paths
git ls-tree -r --name-only HEAD | sort | cmp -s - /tmp/paths || fail "$1 holds other paths than git archive"
[ -z "$given" ] || cmp "$given" build/package/prj1b_*.deb || fail "the package built here is not $given"

# The removals: while the package is installed none takes a file of it;
# after them nothing installed is left, nor a file of the machine taken (a
# whiteout in the upper layer).
run -eq
left=$(find /tmp/upper/usr ! -type d) && [ -z "$left" ] || fail "left after the removals: $left"
echo "readme: every command of the first section works as written, in order, on a fresh clone"
