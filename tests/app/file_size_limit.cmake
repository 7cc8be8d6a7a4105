# Under a file size limit (ulimit -f) below what it writes, the real program
# is not killed by the limit's signal: the movie and the screenshot it cannot
# write are reported, with the reason, as on a full disk, and the run ends
# with status 1.
set(dir ${OUT_DIR}/file_size_limit)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
execute_process(COMMAND sh -c "ulimit -f 0 && exec \"$@\"" sh ${PROGRAM} --frames 240 --speed unlimited
                        --record ${dir}/demo.bvmovie --screenshot ${dir}/last.png
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100)
if(NOT status EQUAL 1 OR NOT out MATCHES "[^\n]*demo\\.bvmovie: File too large"
   OR NOT err MATCHES "no screenshot written: [^\n]*last\\.png: File too large\n")
  message(FATAL_ERROR "exit status ${status}:\n${out}\n${err}")
endif()
