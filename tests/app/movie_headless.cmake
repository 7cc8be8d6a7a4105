# The real program, headless, records a movie from power-on and plays it back
# as a regression test: the same last frame, exit status 0. A file that is no
# movie is refused with its line and exit status 1, and no screenshot is
# written even when the game ran on until a quit; a path a recording cannot
# be written to is refused at start. A recording killed plays to its last
# whole block.
set(dir ${OUT_DIR}/movie)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
function(run expected_status expected_output)
  string(TIMESTAMP start %s)
  execute_process(COMMAND ${PROGRAM} --frames 240 --speed unlimited ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100)
  string(TIMESTAMP end %s)
  if(NOT status EQUAL expected_status OR NOT out MATCHES "${expected_output}")
    message(FATAL_ERROR "${ARGN}: exit status ${status}, expected ${expected_status} and '${expected_output}':\n${out}\n${err}")
  endif()
  set(match "${CMAKE_MATCH_1}" PARENT_SCOPE)
  # The average frame rate is that of this run: its 240 frames took no longer
  # than the whole run (whole seconds, each bound rounded up).
  if(status EQUAL 0 AND NOT ARGN MATCHES "--frames")
    if(NOT out MATCHES "Average fps : ([0-9]+)\\.")
      message(FATAL_ERROR "${ARGN}: no frame rate at quit:\n${out}")
    endif()
    math(EXPR bound "(${CMAKE_MATCH_1} + 1) * (${end} - ${start} + 1)")
    if(bound LESS 240)
      message(FATAL_ERROR "${ARGN}: 240 frames at the reported rate take longer than the run (${end} - ${start} s):\n${out}")
    endif()
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

file(MAKE_DIRECTORY ${dir}/directory)
execute_process(COMMAND mkfifo ${dir}/fifo)
foreach(target directory fifo)
  run(1 "Cannot record a movie: ${dir}/${target} is not a regular file\\.\n" --record ${dir}/${target})
endforeach()
run(1 "Cannot record a movie: cannot write ${dir}/bad.bvmovie/m: Not a directory\\.\n" --record ${dir}/bad.bvmovie/m)

# sh -c SCRIPT PROGRAM FILE...: the program runs in the background ($p) on
# the file $f, and `until_ CONDITION` polls every 10 ms, for 30 s at most.
set(poll "p=$! f=$1; until_() { i=0; until eval \"$1\" || [ $i -ge 3000 ]; do i=$((i+1)); sleep 0.01; done; }")
execute_process(COMMAND sh -c "\"$0\" --play \"$1\" --screenshot \"$2\" >\"$1.out\" & ${poll}
                               until_ 'grep -q \"Cannot play\" \"$f.out\"'; kill -TERM $p; wait $p"
                        ${PROGRAM} ${dir}/bad.bvmovie ${dir}/refused.png
                RESULT_VARIABLE status ERROR_VARIABLE err TIMEOUT 100)
if(NOT status EQUAL 1 OR EXISTS ${dir}/refused.png OR NOT err MATCHES "no screenshot written: the movie was refused")
  message(FATAL_ERROR "a refused movie, then a quit: exit status ${status}, a screenshot written or not said:\n${err}")
endif()

execute_process(COMMAND sh -c "\"$0\" --speed unlimited --record \"$1\" >/dev/null & ${poll}
                               until_ '[ $(wc -c <\"$f\") -ge 1000 ]' 2>/dev/null; kill -KILL $p; wait $p"
                        ${PROGRAM} ${dir}/killed.bvmovie TIMEOUT 100)
run(0 "Playing the movie ${dir}/killed.bvmovie \\(([0-9]+) frames, up to where its recording was cut short\\)"
    --play ${dir}/killed.bvmovie --frames 1)
math(EXPR frames "${match} + 1")
run(0 "Movie played to its end \\(${match} frames\\)" --play ${dir}/killed.bvmovie --frames ${frames})
