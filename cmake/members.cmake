# Run by cpack on the packages it made. cpack writes a .deb's three members
# (debian-binary, control.tar.gz, data.tar.gz) to the disk first, and gives
# each in the ar archive the mode that the builder's umask left it; here
# they get 0644, as dpkg-deb writes them, whatever the umask. Packages of
# other generators are left as they are.
#
# After the archive's 8-byte magic, each member is a 60-byte header, with
# its mode in the 8 bytes at 40 and its size in the 10 at 48, and then its
# data, padded to an even length.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
	if(NOT deb MATCHES "\\.deb$")
		continue()
	endif()
	file(SIZE ${deb} end)
	set(at 8)
	while(at LESS end)
		math(EXPR mode "${at} + 40")
		file(READ ${deb} fields OFFSET ${mode} LIMIT 18)
		if(NOT fields MATCHES "^100[0-7][0-7][0-7]  ([0-9]+)")
			message(FATAL_ERROR "${deb}: no ar member header at byte ${at}")
		endif()
		execute_process(COMMAND printf "100644  "
			COMMAND dd of=${deb} bs=1 seek=${mode} conv=notrunc status=none
			RESULT_VARIABLE rc)
		if(NOT rc EQUAL 0)
			message(FATAL_ERROR "${deb}: dd could not set the mode of the member at byte ${at}")
		endif()
		math(EXPR at "${at} + 60 + (${CMAKE_MATCH_1} + 1) / 2 * 2")
	endwhile()
endforeach()
