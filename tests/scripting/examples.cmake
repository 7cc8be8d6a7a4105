# The example scripts run by the real program, headless: each exits with its
# status and prints what it found. The demo's test fails (status 1) when its
# check is turned round, and a script's error ends the program with status 2,
# naming the file and line.
file(REMOVE_RECURSE ${OUT_DIR})
file(MAKE_DIRECTORY ${OUT_DIR})
function(run expected_status expected_output)
  execute_process(COMMAND ${PROGRAM} --boot --speed unlimited ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100
                  WORKING_DIRECTORY ${OUT_DIR})
  if(NOT status EQUAL expected_status OR NOT out MATCHES "${expected_output}")
    message(FATAL_ERROR "${ARGN}: exit status ${status}, expected ${expected_status} and '${expected_output}':\n${out}\n${err}")
  endif()
endfunction()

run(0 "ship x: 40 -> 1[0-9][0-9]\n" --script ${EXAMPLES}/demo_test.lua)
run(0 "ship x: 40 -> 1[0-9][0-9]\n" --symbols ${SYMBOLS} --script ${EXAMPLES}/demo_test.lua)
file(READ ${EXAMPLES}/demo_test.lua test)
string(REPLACE "if x > startX" "if x < startX" failing "${test}")
file(WRITE ${OUT_DIR}/failing_test.lua "${failing}")
run(1 "ship x: 40 -> 1[0-9][0-9]\n" --script ${OUT_DIR}/failing_test.lua)

file(WRITE ${OUT_DIR}/error.lua "callbacks.add(\"frame\", function()\n  emu.read16(0x100001)\nend)\n")
run(2 "\nerror.lua:2: emu.read16: 0x100001 is odd[^\n]*\nstack traceback:\n.*\nerror.lua stopped; the program ends with status 2"
    --script error.lua)
