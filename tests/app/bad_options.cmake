# Every bad command line: exit status 2, a message on standard error, and
# nothing started (no start-up banner on standard output).
# "|" separates the arguments of a case.
# One case for each way of failing (the parser's own tests hold every refusal):
# an unknown option, a bad value, a missing value, an option without the one
# it needs, a ROM set that is not there.
set(cases "--bogus" "--speed|45" "--frames" "--load-state|2" "stray")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" args "${case}")
  string(REPLACE "|" " " shown "${case}")
  # A program that starts anyway must not hang the test: it is stopped after 20 s.
  execute_process(COMMAND ${PROGRAM} ${args} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 20)
  if(NOT status EQUAL 2)
    message(FATAL_ERROR "'${shown}': exit status ${status}, not 2")
  endif()
  if(err STREQUAL "")
    message(FATAL_ERROR "'${shown}': no message on standard error")
  endif()
  if(NOT out STREQUAL "")
    message(FATAL_ERROR "'${shown}': something started: ${out}")
  endif()
endforeach()
