# A state the program cannot load at start ends a headless run at once (well
# before its million frames), with status 1 and one line that says why.
execute_process(COMMAND ${PROGRAM} --boot --load-state 2 --frames 1000000
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 60)
string(REGEX MATCHALL "Cannot load" refusals "${out}")
list(LENGTH refusals count)
if(NOT status EQUAL 1 OR NOT count EQUAL 1 OR
   NOT out MATCHES "\nCannot load slot 2: no state was saved there for this ROM set \\([^)]*-slot2\\.state\\)\\.\n")
  message(FATAL_ERROR "status ${status}, ${count} refusals:\n${out}")
endif()
