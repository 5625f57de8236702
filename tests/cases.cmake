# Every NAME.txt of tests/cases and examples is a test, by its name, in the
# list ctest learns from the tests, and no case without its file is. Run by
# ctest, given tests, cases and examples (ctest -N would write over its log).
file(GLOB files ${cases}/*.txt ${examples}/*.txt)
set(want "")
foreach(f IN LISTS files)
	string(REGEX REPLACE ".*/([^/]*)/([^/]*)\\.txt$" "\\1_\\2" name "${f}")
	string(MAKE_C_IDENTIFIER "${name}" name)
	list(APPEND want "Listing/${name}")
endforeach()
execute_process(COMMAND ${tests} --gtest_list_tests --gtest_filter=File/Casi.*
	OUTPUT_VARIABLE out RESULT_VARIABLE rc)
string(REGEX MATCHALL "Listing/[^ \n]*" got "${out}")
set(untested ${want})
set(unfiled ${got})
if(got AND want)
	list(REMOVE_ITEM untested ${got})
	list(REMOVE_ITEM unfiled ${want})
endif()
if(NOT rc EQUAL 0 OR untested OR unfiled)
	message(FATAL_ERROR "case files with no test: ${untested}; tests with no case file: ${unfiled}")
endif()
