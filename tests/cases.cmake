# Every NAME.txt of tests/cases and examples is a test, by its name, in the
# list that ctest learns from the tests, and no case without its file is.
# Run by ctest, given the tests, cases and examples; ctest -N would write
# over the log of the run it is part of.
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
list(SORT want)
list(SORT got)
if(NOT rc EQUAL 0 OR NOT got STREQUAL want)
	string(REPLACE ";" "\n  " got "${got}")
	string(REPLACE ";" "\n  " want "${want}")
	message(FATAL_ERROR "the tests list the cases\n  ${got}\nwhere the files make\n  ${want}")
endif()
