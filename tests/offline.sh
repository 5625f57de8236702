#!/bin/sh
# On a fresh clone of the commit, with no network at all, not even loopback
# (unshare -n, as in many build sandboxes): the README's route for building
# the tests from the GoogleTest sources Debian installs, command by command,
# and then what a maintainer does next, a case pair added to the built tree,
# which the next run must run. Needs root, and Debian's googletest.
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q "$(pwd)" "$work/prj1b"
cd "$work/prj1b"

# The route's commands, less the install. The installed GoogleTest, if any,
# is hidden from the configure step, as on a machine without libgtest-dev.
sed -n '/^Without the network/,/^```$/p' README.md | sed '1,/^```sh$/d; /^```$/d' |
	grep -v '^apt-get ' >"$work/steps"
grep -q 'FETCHCONTENT_SOURCE_DIR_GOOGLETEST' "$work/steps"
while IFS= read -r cmd; do
	case $cmd in
	'cmake --preset '*) cmd="$cmd -D CMAKE_DISABLE_FIND_PACKAGE_GTest=ON" ;;
	esac
	echo "offline: $cmd"
	unshare -n sh -c "$cmd" </dev/null
done <"$work/steps"
test -d build/test/_deps/googletest-build # GoogleTest was built here, from its sources
echo "offline: the tests pass with no network, GoogleTest built from its sources"

# The steps of the test workflow, the last one for the added case alone: it
# is listed, a wrong .out fails it, and the right one passes it.
tests() { ctest --preset test -N | sed -n 's/^Total Tests: //p'; }
again() {
	unshare -n sh -c 'cmake --preset test && cmake --build --preset test' >/dev/null
	unshare -n ctest --preset test -R '/cases_added '
}
n=$(tests)
cp tests/cases/both-children.txt tests/cases/added.txt
cp tests/cases/signs.out tests/cases/added.out
! again || { echo "offline: a case added with a wrong .out passed" >&2; exit 1; }
test "$(tests)" -eq $((n + 1)) || { echo "offline: $(tests) tests listed, not $((n + 1))" >&2; exit 1; }
cp tests/cases/both-children.out tests/cases/added.out
again
echo "offline: a case pair added to the built tree is run: $n tests, then $((n + 1))"
