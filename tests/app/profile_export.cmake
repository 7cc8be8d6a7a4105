# --profile through the real reader: the program profiles 600 frames of the
# demo, and callgrind_annotate (Debian's valgrind) reads the file. Its total
# is the cycles the 68000 ran, by the machine's own cycle counter (printed at
# quit) and within a frame of 600 frames' cycles; the demo's functions are
# listed by their symbols.
file(REMOVE ${OUT})
execute_process(COMMAND ${PROGRAM} --boot --frames 600 --speed unlimited --symbols ${ELF} --profile ${OUT}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 200)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the program failed (${status}):\n${out}\n${err}")
endif()
if(NOT out MATCHES "--profile: ([0-9]+) cycles over ([0-9]+) frames \\(the cycle counter from ([0-9]+) to ([0-9]+)\\)")
  message(FATAL_ERROR "no profile report in the output:\n${out}")
endif()
set(frames ${CMAKE_MATCH_2})
math(EXPR counted "${CMAKE_MATCH_4} - ${CMAKE_MATCH_3}")
execute_process(COMMAND ${ANNOTATE} --threshold=100 ${OUT} RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT report MATCHES "([0-9,]+) +(\\([0-9.]+%\\) +)?PROGRAM TOTALS")
  message(FATAL_ERROR "callgrind_annotate failed (${status}):\n${report}\n${err}")
endif()
string(REPLACE "," "" total "${CMAKE_MATCH_1}")
if(NOT total EQUAL counted)
  message(FATAL_ERROR "callgrind_annotate's total ${total} is not the ${counted} cycles the 68000 ran:\n${report}")
endif()
math(EXPR low "599 * 133332")
math(EXPR high "601 * 133332")
if(NOT frames EQUAL 600 OR total LESS low OR total GREATER high)
  message(FATAL_ERROR "${total} cycles over ${frames} frames are not 600 frames' cycles")
endif()
foreach(function scene_frame irq_level4 main)
  if(NOT report MATCHES "[0-9,]+ +(\\([0-9.]+%\\) +)?[^\n]*:${function}\n")
    message(FATAL_ERROR "${function} is not listed:\n${report}")
  endif()
endforeach()
