# cmake -D prog=PATH -D input=FILE -P run.cmake: run prog with FILE on standard input.
execute_process(COMMAND ${prog} INPUT_FILE ${input} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
	message(FATAL_ERROR "${prog} exited with ${rc}")
endif()
