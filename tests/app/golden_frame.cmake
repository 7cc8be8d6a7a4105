# The real program's 60th frame after a boot (--boot, --frames, --screenshot),
# taken from its screenshot,
# against the reviewed hash of the same frame of the demo's attract mode in
# the end-to-end tests (read from their source, so both follow one review).
file(READ ${GOLDEN_SOURCE} source)
if(NOT source MATCHES "runAndCheck\\(\"demo_attract\"[^;]*\\{60, (0x[0-9A-Fa-f]+)ull\\}")
  message(FATAL_ERROR "no golden hash of frame 60 of demo_attract in ${GOLDEN_SOURCE}")
endif()
set(golden ${CMAKE_MATCH_1})
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
execute_process(COMMAND ${HASHER} ${OUT} RESULT_VARIABLE status OUTPUT_VARIABLE hash ERROR_VARIABLE err)
string(STRIP "${hash}" hash)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${err}")
endif()
string(TOUPPER "${golden}" golden_upper)
string(REPLACE "0X" "0x" golden_upper "${golden_upper}")
if(NOT hash STREQUAL golden_upper)
  message(FATAL_ERROR "frame 60 of the program hashes ${hash}, the reviewed frame ${golden_upper}; see ${OUT}")
endif()
