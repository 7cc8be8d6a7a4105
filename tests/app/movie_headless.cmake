# The real program, headless, records a movie from power-on and plays it back
# as a regression test: the same last frame, exit status 0; a file that is no
# movie is refused with its line and exit status 1.
set(dir ${OUT_DIR}/movie)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
function(run expected_status expected_output)
  execute_process(COMMAND ${PROGRAM} --frames 240 --speed unlimited ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100)
  if(NOT status EQUAL expected_status OR NOT out MATCHES "${expected_output}")
    message(FATAL_ERROR "${ARGN}: exit status ${status}, expected ${expected_status} and '${expected_output}':\n${out}\n${err}")
  endif()
endfunction()
run(0 "Movie recorded: 240 frames in ${dir}/demo.bvmovie\n" --record ${dir}/demo.bvmovie --screenshot ${dir}/recorded.png)
run(0 "Playing the movie ${dir}/demo.bvmovie \\(240 frames\\)" --play ${dir}/demo.bvmovie --screenshot ${dir}/played.png)
file(SHA256 ${dir}/recorded.png recorded)
file(SHA256 ${dir}/played.png played)
if(NOT recorded STREQUAL played)
  message(FATAL_ERROR "the movie's last frame differs from the recording's")
endif()
file(WRITE ${dir}/bad.bvmovie "BVMOVIE, but no movie")
run(1 "Cannot play the movie ${dir}/bad.bvmovie: it is too short to be a movie \\(21 bytes\\)\\.\n" --play ${dir}/bad.bvmovie)
