#!/bin/sh
# On a fresh clone of the commit, with no network at all, not even loopback
# (unshare -n, as in many build sandboxes): the README's route for building
# the tests from the GoogleTest sources Debian installs, command by command,
# and then what a maintainer does next: a case pair added to the built tree,
# which the next run must run, and then every pair removed, which the tests
# must not need, with examples/tree.txt, which the tests that read it must
# name. Also a packager's plain configure, with no preset. Needs root, and
# Debian's googletest.
#
# Changes not committed are refused: the clone would not hold them. All it
# writes is in the folder of tests/scratch.sh.
set -eu
cd "$(dirname "$0")/.."
test -z "$(git status --porcelain)" ||
	{ echo "offline: the working tree has changes; commit them, since this clones HEAD" >&2; exit 1; }
. tests/scratch.sh
git clone -q "$(pwd)" "$work/prj1b"
cd "$work/prj1b"

# The route's commands, less the install. The installed GoogleTest, if any,
# is hidden from the configure step, as on a machine without libgtest-dev.
sed -n '/^Without the network/,/^```$/p' README.md | sed '1,/^```sh$/d; /^```$/d' |
	grep -v '^apt-get ' >"$work/steps"
grep -q 'FETCHCONTENT_SOURCE_DIR_GOOGLETEST' "$work/steps" ||
	{ echo "offline: the README's route does not name FETCHCONTENT_SOURCE_DIR_GOOGLETEST" >&2; exit 1; }
while IFS= read -r cmd; do
	case $cmd in
	'cmake --preset '*) cmd="$cmd -D CMAKE_DISABLE_FIND_PACKAGE_GTest=ON" ;;
	esac
	echo "offline: $cmd"
	unshare -n sh -c "$cmd" </dev/null
done <"$work/steps"
test -d build/test/_deps/googletest-build ||
	{ echo "offline: GoogleTest was not built here, from its sources" >&2; exit 1; }
echo "offline: the tests pass with no network, GoogleTest built from its sources"

# A packager's configure, as distributions' build tools run it: no preset,
# so BUILD_TESTING is on. With no GoogleTest to be had, the error names the
# setting that builds the program alone, and that setting builds it.
plain() { unshare -n cmake -S . -B "$work/plain" -D CMAKE_BUILD_TYPE=Release "$@"; }
if plain -D CMAKE_DISABLE_FIND_PACKAGE_GTest=ON >"$work/log" 2>&1; then
	echo "offline: the tests were configured with no GoogleTest" >&2
	exit 1
fi
tr -s ' \n' '  ' <"$work/log" | grep -q -e '-D BUILD_TESTING=OFF' ||
	{ cat "$work/log"; echo "offline: the error does not name -D BUILD_TESTING=OFF" >&2; exit 1; }
plain -D BUILD_TESTING=OFF >/dev/null
unshare -n cmake --build "$work/plain" >/dev/null
"$work/plain/prj1b" <examples/tree.txt | cmp - examples/tree.out
echo "offline: a plain configure names -D BUILD_TESTING=OFF, which builds the program alone"

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
unshare -n ctest --preset test -R '/cases_added ' ||
	{ echo "offline: the added case failed with its right .out" >&2; exit 1; }
echo "offline: a case pair added to the built tree is run: $n tests, then $((n + 1))"

# Every case pair removed, as git removes their folder with the last, and
# examples/tree.txt too: the next run lists none of them, the tests that
# read tree.txt fail and name it, and every other test passes; none skips
# or stops the run instead.
pairs=$(ls tests/cases/*.txt | wc -l)
rm -r tests/cases examples/tree.txt
build
left=$((n + 1 - pairs - 1))
test "$(tests)" -eq $left || { echo "offline: $(tests) tests listed, not $left" >&2; exit 1; }
unshare -n ctest --preset test >/dev/null 2>&1 || true
failed=$(awk -v f="cannot open $(pwd)/examples/tree.txt" '
	/^\[ RUN      \]/ { if (on) { print "unfinished: " t; bad = 1 } t = $4; named = 0; on = 1; next }
	!on { next }
	index($0, f) { named = 1 }
	/^\[  SKIPPED \]/ { print "skipped: " t; bad = 1; on = 0 }
	/^\[  FAILED  \]/ { n++; if (!named) { print "failed unnamed: " t; bad = 1 } on = 0 }
	/^\[       OK \]/ { on = 0 }
	END { if (on) { print "unfinished: " t; bad = 1 }
		print n ? n : "no test failed"; exit bad || !n }' build/test/Testing/Temporary/LastTest.log) ||
	{ echo "$failed"; echo "offline: with no pairs and no examples/tree.txt, a test did not fail naming it" >&2; exit 1; }
echo "offline: with no pairs and no examples/tree.txt, $left tests listed: the $failed that read it fail naming it, the rest pass"
