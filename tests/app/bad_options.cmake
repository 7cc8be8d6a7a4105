# A bad command line: exit status 2, a message on standard error, and
# nothing started (no start-up banner on standard output). Every refusal
# takes the same way out of the program; the parser's own tests hold each.
# "|" separates the arguments of a case.
set(cases "--bogus" "--load-state|2")
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
