# Read by cpack before it packs. The package's dependencies come from
# dpkg-shlibdeps, which needs file(1), and its dates from
# dpkg-parsechangelog; without them CPack's own error names no package, so
# name them here. Other generators take the date where they can.
find_program(PRJ1B_CHANGELOG dpkg-parsechangelog)
if(CPACK_GENERATOR STREQUAL "DEB")
	find_program(PRJ1B_FILE file)
	find_program(PRJ1B_SHLIBDEPS dpkg-shlibdeps)
	if(NOT PRJ1B_FILE OR NOT PRJ1B_SHLIBDEPS OR NOT PRJ1B_CHANGELOG)
		message(FATAL_ERROR "The Debian package needs file, dpkg-shlibdeps and "
			"dpkg-parsechangelog: apt-get install file dpkg-dev")
	endif()
endif()

# The dates in the package are those of the newest changelog entry, as in
# Debian's own packages, not the hour of the build: the changelog travels
# with every form of the source, a clone with or without git and a release
# tarball alike, so each gives the same bytes. An exported SOURCE_DATE_EPOCH
# comes first, as everywhere; an empty one counts as unset. One that is not
# a whole number of seconds stops the build, as the variable's own
# definition asks, and so does one past what a tar header holds (11 octal
# digits, the year 2242): cpack would date the package by the build's hour
# or give its members dates that disagree.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT epoch STREQUAL "" AND (NOT epoch MATCHES "^[0-9]+$" OR epoch GREATER 8589934591))
	message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"${epoch}\": it must be a whole number "
		"of seconds since 1970 up to 8589934591, or empty or unset for the date of "
		"docs/changelog")
endif()
if(epoch STREQUAL "" AND PRJ1B_CHANGELOG)
	execute_process(COMMAND ${PRJ1B_CHANGELOG} -l ${CPACK_PRJ1B_SOURCE_DIR}/docs/changelog
		-S Timestamp OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
		RESULT_VARIABLE rc)
	if(NOT rc EQUAL 0 OR NOT epoch MATCHES "^[0-9]+$")
		message(FATAL_ERROR "No date for the package: docs/changelog gives none")
	endif()
	set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
# Said, so that a build's log tells the date its package holds.
if(NOT epoch STREQUAL "")
	message(STATUS "The package's dates: SOURCE_DATE_EPOCH=${epoch}")
endif()
