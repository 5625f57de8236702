# Run by cpack on the staged files, before it packs them with any generator.
# cpack takes the staged files' and folders' modes from the disk: cmake
# --install gave each file a mode of its own, but the folders it made have
# what the builder's umask left, and under umask 077 a package would hold a
# /usr/share/doc/prj1b that no other user can read. Folders get 0755, as
# Debian wants them.
file(CHMOD_RECURSE ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY_PERMISSIONS
	OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
