# Read by cpack before it packs. The package's dependencies come from
# dpkg-shlibdeps, which needs file(1); without them CPack's own error names
# neither package, so name them here.
if(CPACK_GENERATOR STREQUAL "DEB")
	find_program(PRJ1B_FILE file)
	find_program(PRJ1B_SHLIBDEPS dpkg-shlibdeps)
	if(NOT PRJ1B_FILE OR NOT PRJ1B_SHLIBDEPS)
		message(FATAL_ERROR "The Debian package needs file and dpkg-shlibdeps: "
			"apt-get install file dpkg-dev")
	endif()
endif()

# The dates in the package are the commit's, not the hour of the build, so
# that anyone can rebuild a published package and get the same bytes. An
# exported SOURCE_DATE_EPOCH comes first, as everywhere.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
	find_program(PRJ1B_GIT git)
	if(PRJ1B_GIT)
		execute_process(COMMAND ${PRJ1B_GIT} log -1 --format=%ct
			WORKING_DIRECTORY ${CPACK_PRJ1B_SOURCE_DIR}
			OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE rc)
		if(rc EQUAL 0 AND epoch MATCHES "^[0-9]+$")
			set(ENV{SOURCE_DATE_EPOCH} ${epoch})
		endif()
	endif()
endif()
