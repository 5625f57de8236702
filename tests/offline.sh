#!/bin/sh
# Builds and tests a clone of HEAD with no network, not even loopback
# (tests/confine.sh --net), as a build sandbox would: by the README's route
# from GoogleTest's sources, by a plain configure, and after case pairs are
# added and then all removed. Needs root, and Debian's googletest.
set -eu
cd "$(dirname "$0")/.."
[ -n "${PRJ1B_INSIDE:-}" ] || exec tests/confine.sh --net offline.sh
fail() { echo "offline: $*" >&2; exit 1; }
git clone -q . /tmp/prj1b && cd /tmp/prj1b

# The route's commands, less the install. The installed GoogleTest, if any,
# is hidden from the configure step, as on a machine without libgtest-dev.
sed -n '/^Without the network/,/^```$/p' README.md | sed '1,/^```sh$/d; /^```$/d' |
	grep -v '^apt-get ' >/tmp/steps
grep -q FETCHCONTENT_SOURCE_DIR_GOOGLETEST /tmp/steps ||
	fail "the README's route does not name FETCHCONTENT_SOURCE_DIR_GOOGLETEST"
while IFS= read -r cmd; do
	case $cmd in 'cmake --preset '*) cmd="$cmd -D CMAKE_DISABLE_FIND_PACKAGE_GTest=ON" ;; esac
	echo "offline: $cmd"
	sh -c "$cmd" </dev/null
done </tmp/steps
test -d build/test/_deps/googletest-build || fail "GoogleTest was not built here, from its sources"
echo "offline: the tests pass, GoogleTest built from its sources"

# With no preset BUILD_TESTING is on: with no GoogleTest to be had, the
# error names the setting that builds the program alone, which builds it.
plain() { cmake -S . -B /tmp/plain -D CMAKE_BUILD_TYPE=Release "$@"; }
! plain -D CMAKE_DISABLE_FIND_PACKAGE_GTest=ON >/tmp/log 2>&1 || fail "the tests were configured with no GoogleTest"
tr -s ' \n' '  ' </tmp/log | grep -q -e '-D BUILD_TESTING=OFF' ||
	{ cat /tmp/log; fail "the error does not name -D BUILD_TESTING=OFF"; }
plain -D BUILD_TESTING=OFF >/dev/null
cmake --build /tmp/plain >/dev/null
/tmp/plain/prj1b <examples/tree.txt >/tmp/out && cmp -s /tmp/out examples/tree.out ||
	fail "the plain build does not list examples/tree.txt"
echo "offline: a plain configure names -D BUILD_TESTING=OFF, which builds the program alone"

# Pairs added to the built tree, one that sorts first and one last, are run
# by the next test run, by name: with a wrong .out they alone fail, with the
# right one they pass. Each run includes the check that every pair is
# listed and every case listed has its pair.
build() { cmake --preset test >/dev/null && cmake --build --preset test >/dev/null; }
for c in aaa zzz; do cp examples/tree.txt tests/cases/$c.txt && echo wrong >tests/cases/$c.out; done
build
ctest --preset test -R 'Casi|cases' >/tmp/log 2>&1 || true
failed=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' /tmp/log | tr '\n' ' ')
[ "$failed" = "File/Casi.Listing/cases_aaa File/Casi.Listing/cases_zzz " ] ||
	{ cat /tmp/log; fail "with a wrong .out for the pairs added, these failed: ${failed:-none}"; }
for c in aaa zzz; do cp examples/tree.out tests/cases/$c.out; done
ctest --preset test -R 'Casi|cases' >/tmp/log 2>&1 || { cat /tmp/log; fail "the pairs added failed with their right .out"; }
echo "offline: the pairs added to the built tree are run, by name"

# Every pair removed, as git removes their folder with the last, and
# examples/tree.txt too: none is listed, the tests that read tree.txt fail
# and name it, and every other test passes; none skips or stops the run.
rm -r tests/cases examples/tree.txt
build
ctest --preset test -R '^cases-listed$' >/tmp/log 2>&1 || { cat /tmp/log; fail "with the pairs removed, cases are listed"; }
ctest --preset test >/dev/null 2>&1 || true
failed=$(awk -v f="cannot open $(pwd)/examples/tree.txt" '
	/^\[ RUN      \]/ { if (on) { print "unfinished: " t; bad = 1 } t = $4; named = 0; on = 1; next }
	!on { next }
	index($0, f) { named = 1 }
	/^\[  SKIPPED \]/ { print "skipped: " t; bad = 1; on = 0 }
	/^\[  FAILED  \]/ { n++; if (!named) { print "failed unnamed: " t; bad = 1 } on = 0 }
	/^\[       OK \]/ { on = 0 }
	END { if (on) { print "unfinished: " t; bad = 1 }
		print n ? n : "no test failed"; exit bad || !n }' build/test/Testing/Temporary/LastTest.log) ||
	{ echo "$failed"; fail "with no pairs and no examples/tree.txt, a test did not fail naming it"; }
echo "offline: with no pairs and no examples/tree.txt, the $failed tests that read it fail naming it, the rest pass"
