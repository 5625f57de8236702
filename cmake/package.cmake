# Read by cpack before it packs. The package's dependencies come from
# dpkg-shlibdeps, which needs file(1), and its dates from
# dpkg-parsechangelog; without them CPack's own error names no package, so
# name them here.
if(CPACK_GENERATOR STREQUAL "DEB")
	find_program(PRJ1B_FILE file)
	find_program(PRJ1B_SHLIBDEPS dpkg-shlibdeps)
	find_program(PRJ1B_CHANGELOG dpkg-parsechangelog)
	if(NOT PRJ1B_FILE OR NOT PRJ1B_SHLIBDEPS OR NOT PRJ1B_CHANGELOG)
		message(FATAL_ERROR "The Debian package needs file, dpkg-shlibdeps and "
			"dpkg-parsechangelog: apt-get install file dpkg-dev")
	endif()
endif()

# The dates in the package are those of the newest changelog entry, as in
# Debian's own packages, not the hour of the build: the changelog travels
# with every form of the source, a clone with or without git and a release
# tarball alike, so each gives the same bytes. An exported SOURCE_DATE_EPOCH
# comes first, as everywhere.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND PRJ1B_CHANGELOG)
	execute_process(COMMAND ${PRJ1B_CHANGELOG} -l ${CPACK_PRJ1B_SOURCE_DIR}/docs/changelog
		-S Timestamp OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
		RESULT_VARIABLE rc)
	if(NOT rc EQUAL 0 OR NOT epoch MATCHES "^[0-9]+$")
		message(FATAL_ERROR "No date for the package: docs/changelog gives none")
	endif()
	set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
