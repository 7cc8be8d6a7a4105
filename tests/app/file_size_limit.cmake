# Under a file size limit (ulimit -f) below what it writes, the real program
# is not killed by the limit's signal: the movie and the screenshot it cannot
# write are reported, with the reason, as on a full disk, and each run ends
# with status 1.
# In the coverage build each process writes its profile as it runs, which
# the limit would cut with its signal: these runs' profiles go nowhere.
if(DEFINED ENV{LLVM_PROFILE_FILE})
  set(ENV{LLVM_PROFILE_FILE} /dev/null)
endif()
set(dir ${OUT_DIR}/file_size_limit)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
foreach(target "--record;${dir}/demo.bvmovie;[^\n]*demo\\.bvmovie: File too large"
               "--screenshot;${dir}/last.png;no screenshot written: [^\n]*last\\.png: File too large\n")
  list(GET target 0 option)
  list(GET target 1 path)
  list(GET target 2 said)
  execute_process(COMMAND sh -c "ulimit -f 0 && exec \"$@\" 2>&1" sh ${PROGRAM} --boot --frames 240 --speed unlimited
                          ${option} ${path}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out TIMEOUT 100)
  if(NOT status EQUAL 1 OR NOT out MATCHES "${said}")
    message(FATAL_ERROR "${option}: exit status ${status}:\n${out}")
  endif()
endforeach()
