#!/bin/sh
# On a fresh clone of the commit, with no network at all, not even loopback
# (unshare -n, as in many build sandboxes): the README's route for building
# the tests from the GoogleTest sources Debian installs, command by command,
# and then what a maintainer does next: a case pair added to the built tree,
# which the next run must run, and then every pair removed, which the tests
# must not need. Needs root, and Debian's googletest.
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
# is listed, a wrong .out fails it, and the right one passes it. The case is
# an example's, whose folder a maintainer keeps.
tests() { ctest --preset test -N | sed -n 's/^Total Tests: //p'; }
build() { unshare -n sh -c 'cmake --preset test && cmake --build --preset test' >/dev/null; }
n=$(tests)
cp examples/tree.txt tests/cases/added.txt
cp examples/chain.out tests/cases/added.out
build
! unshare -n ctest --preset test -R '/cases_added ' ||
	{ echo "offline: a case added with a wrong .out passed" >&2; exit 1; }
test "$(tests)" -eq $((n + 1)) || { echo "offline: $(tests) tests listed, not $((n + 1))" >&2; exit 1; }
cp examples/tree.out tests/cases/added.out
unshare -n ctest --preset test -R '/cases_added '
echo "offline: a case pair added to the built tree is run: $n tests, then $((n + 1))"

# Every case pair removed, as git removes their folder with the last: the
# rest of the tests need none of them, and the next run lists none.
pairs=$(ls tests/cases/*.txt | wc -l)
rm -r tests/cases
build
test "$(tests)" -eq $((n + 1 - pairs)) ||
	{ echo "offline: $(tests) tests listed, not $((n + 1 - pairs))" >&2; exit 1; }
unshare -n ctest --preset test
echo "offline: with every case pair removed, the other $((n + 1 - pairs)) tests pass"
