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
