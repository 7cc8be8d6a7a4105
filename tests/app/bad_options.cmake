# Every bad command line: exit status 2, a message on standard error, and
# nothing started (no start-up banner on standard output).
# One case a line; "|" separates the arguments of a case.
set(cases
  "--bogus"
  "--frames"
  "--frames|0"
  "--frames|-3"
  "--frames|12x"
  "--frames|99999999999"
  "--speed|45"
  "--speed=fast"
  "--scale|0"
  "--scale|9"
  "--screenshot"
  "--screenshot|--boot"
  "--boot=yes"
  "--gdb"
  "--gdb|65536"
  "--gdb|0.0.0.0:1234"
  "--boot|--load-state|8"
  "--boot|--load-state=one"
  "--load-state|2"
  "stray")
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
