# Run by cpack twice: on the staged files before it packs them, and on the
# package it made of them. cpack takes every mode from the disk, where the
# builder's umask decides it, and so would give a package made under umask
# 077 a /usr/share/doc/prj1b that no other user can read. Here the folders
# get 0755, as Debian wants them, and the package's ar members 0644, as
# dpkg-deb writes them, whatever the umask; cmake --install gave the files
# modes of their own.
if(NOT CPACK_PACKAGE_FILES)
	file(CHMOD_RECURSE ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY_PERMISSIONS
		OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
	return()
endif()
# After the archive's 8-byte magic, each member is a 60-byte header, with
# its mode in the 8 bytes at 40 and its size in the 10 at 48, and then its
# data, padded to an even length.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
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
