# The tests are built for this machine, and run against a program built for
# another target by the toolchain file cmake/${PRJ1B_TARGET}.cmake, in a
# build of its own under target/, through the emulator that file names.
include(ExternalProject)

set(toolchain ${PROJECT_SOURCE_DIR}/cmake/${PRJ1B_TARGET}.cmake)
if(NOT EXISTS ${toolchain})
	message(FATAL_ERROR "PRJ1B_TARGET=${PRJ1B_TARGET} names no file cmake/${PRJ1B_TARGET}.cmake.")
endif()

# What the toolchain file says of the system and its emulator, read in a
# scope of its own, so that it sets up nothing here.
function(prj1b_toolchain file)
	include(${file})
	set(prj1b_system "${CMAKE_SYSTEM_NAME}" PARENT_SCOPE)
	set(prj1b_emulator "${CMAKE_CROSSCOMPILING_EMULATOR}" PARENT_SCOPE)
endfunction()
prj1b_toolchain(${toolchain})

set(dir ${PROJECT_BINARY_DIR}/target)
ExternalProject_Add(prj1b_target SOURCE_DIR ${PROJECT_SOURCE_DIR} BINARY_DIR ${dir}
	CMAKE_ARGS -D CMAKE_TOOLCHAIN_FILE=${toolchain} -D CMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
		-D BUILD_TESTING=OFF -D CMAKE_COMPILE_WARNING_AS_ERROR=ON
	BUILD_COMMAND ${CMAKE_COMMAND} --build ${dir} --target prj1b
	INSTALL_COMMAND "" BUILD_ALWAYS ON USES_TERMINAL_BUILD ON)
set(prj1b_built prj1b_target)
if(prj1b_system STREQUAL Windows)
	set(prj1b_program ${dir}/prj1b.exe)
else()
	set(prj1b_program ${dir}/prj1b)
endif()
