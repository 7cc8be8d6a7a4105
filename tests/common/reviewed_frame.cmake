# check_frame(NAME PNG RUN FRAME [HASHER OPTIONS...]): the picture PNG, hashed
# by HASHER, is frame FRAME of the end-to-end run RUN as reviewed there (read
# from their source, GOLDEN_SOURCE, so that every test follows one review).
file(READ ${GOLDEN_SOURCE} golden_source)
function(check_frame name png run frame)
  if(NOT golden_source MATCHES "runAndCheck\\(\"${run}\"[^;]*\\{${frame}, (0x[0-9A-Fa-f]+)ull\\}")
    message(FATAL_ERROR "no reviewed frame ${frame} of ${run} in ${GOLDEN_SOURCE}")
  endif()
  string(TOUPPER "${CMAKE_MATCH_1}" golden)
  execute_process(COMMAND ${HASHER} ${ARGN} ${png} RESULT_VARIABLE status OUTPUT_VARIABLE hash ERROR_VARIABLE err)
  string(STRIP "${hash}" hash)
  string(TOUPPER "${hash}" hash)
  if(NOT status EQUAL 0 OR NOT hash STREQUAL golden)
    message(FATAL_ERROR "${name}: ${png} hashes ${hash}${err}, the reviewed frame ${frame} ${golden}")
  endif()
  message(STATUS "${name}: frame ${frame} ${hash}, as reviewed")
endfunction()
