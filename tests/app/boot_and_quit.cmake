# The real program on the demo ROM set, headless: boots at start, presents
# 30 frames, quits as the Quit command does and leaves the last frame.
file(REMOVE ${OUT})
execute_process(COMMAND ${PROGRAM} --boot --frames 30 --speed unlimited --screenshot ${OUT}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}\n${out}\n${err}")
endif()
foreach(expected "Loading ROMS...Ok." "CPU Reset...Success" "Average fps : [0-9]+\\.[0-9][0-9][0-9][0-9][0-9][0-9]\n$")
  if(NOT out MATCHES "${expected}")
    message(FATAL_ERROR "no '${expected}' in the output:\n${out}")
  endif()
endforeach()
file(READ ${OUT} head LIMIT 8 HEX)
if(NOT head STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "${OUT} is not a PNG file")
endif()
