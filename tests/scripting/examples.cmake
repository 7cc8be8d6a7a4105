# The example scripts run by the real program, headless: each exits with its
# status and prints what it found. The demo's test fails (status 1) when its
# check is turned round, and a script's error ends the program with status 2,
# naming the file and line. A movie recorded while a script holds the inputs
# plays them back.
file(REMOVE_RECURSE ${OUT_DIR})
file(MAKE_DIRECTORY ${OUT_DIR})
function(run expected_status expected_output)
  execute_process(COMMAND ${PROGRAM} --boot --speed unlimited ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100
                  WORKING_DIRECTORY ${OUT_DIR})
  if(NOT status EQUAL expected_status OR NOT out MATCHES "${expected_output}")
    message(FATAL_ERROR "${ARGN}: exit status ${status}, expected ${expected_status} and '${expected_output}':\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(CMAKE_MATCH_1 "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(CMAKE_MATCH_2 "${CMAKE_MATCH_2}" PARENT_SCOPE)
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
run(2 "\nnone.lua: cannot be read: No such file or directory\n" --script none.lua)

# The frame logger: the reset of the boot, then the demo's frame count going
# up by one a frame.
run(0 "reset at frame 0\n.*frame 9: status.frame = ([0-9]+)\nframe 10: status.frame = ([0-9]+)\n"
    --script ${EXAMPLES}/frame_logger.lua)
math(EXPR next "${CMAKE_MATCH_1} + 1")
if(NOT CMAKE_MATCH_1 GREATER 0 OR NOT next EQUAL CMAKE_MATCH_2)
  message(FATAL_ERROR "the frame logger's frames 9 and 10: ${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}:\n${out}")
endif()
# Who writes the ship's x: the scene's start and the frame that moves it.
run(0 "0x1006A0 written at frame [0-9]+ by the instruction before 0x[0-9A-F]+ \\(scene_init\\+0x[0-9A-F]+\\)\n.*by the instruction before 0x[0-9A-F]+ \\(scene_frame\\+0x[0-9A-F]+\\)\n"
    --symbols ${SYMBOLS} --script ${EXAMPLES}/who_writes.lua)
# The input bot: each theme key, then the state saved before them.
run(0 "theme 2\ntheme 3\ntheme 4\ntheme 5\nState loaded from a file: input_bot.state\ntheme 1\n"
    --script ${EXAMPLES}/input_bot.lua)
if(NOT EXISTS ${OUT_DIR}/input_bot.png)
  message(FATAL_ERROR "the input bot wrote no screenshot")
endif()
run(0 "ship x: 40 -> 1[0-9][0-9]\n.*Movie recorded" --record held.bvmovie --script ${EXAMPLES}/demo_test.lua)
run(0 "ship x: 40 -> 1[0-9][0-9]\n" --play held.bvmovie --script ${EXAMPLES}/demo_test.lua)
