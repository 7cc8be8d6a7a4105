# The real program's 60th frame after a boot (--boot, --frames, --screenshot),
# taken from its screenshot,
# against the reviewed hash of the same frame of the demo's attract mode in
# the end-to-end tests (read from their source, so both follow one review).
include(${CMAKE_CURRENT_LIST_DIR}/../common/reviewed_frame.cmake)
file(REMOVE ${OUT})
execute_process(COMMAND ${PROGRAM} --boot --frames 60 --speed unlimited --screenshot ${OUT}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the program failed (${status}):\n${out}\n${err}")
endif()
# It started, reset the board and quit as the Quit command does.
foreach(expected "Loading ROMS...Ok." "CPU Reset...Success" "Average fps : [0-9]+\\.[0-9][0-9][0-9][0-9][0-9][0-9]\n$")
  if(NOT out MATCHES "${expected}")
    message(FATAL_ERROR "no '${expected}' in the output:\n${out}")
  endif()
endforeach()
check_frame(program ${OUT} demo_attract 60)
