# Debian's RetroArch 1.14 runs the core headless on the demo ROM set: its
# null video, audio and input drivers, a private configuration, home and
# directories under WORK (the user's ~/.config is never read or written),
# --max-frames N with --max-frames-ss: RetroArch runs N frames (retro_run N
# times; the core logs how many when it is unloaded) and saves the Nth frame.
# Without the GPU, RetroArch 1.14 saves a 0RGB1555 frame by reading each
# pixel's 16 bits as RGB565, so the hasher recovers the core's exact values.
#
# Runs: the demo from one of its files (frame 60 against the reviewed frame
# of the end-to-end tests), from a .zip (the same frame), in service mode set
# through RetroArch's core options file (the reviewed service frame 30), a
# .zip lacking a file, which RetroArch must refuse with the core's line, and
# save states: a run of 60 frames that saves its state on exit, then a run
# that loads it. RetroArch 1.14 loads that state after the run's first frame
# (the core's log shows the restore at frame 1), so 181 frames of the second
# run end on frame 60 + 180 = 240 of the demo, which must be the reviewed one.
#
# In: RETROARCH CORE INFO_DIR (holding the .info) DEMO_DIR HASHER GOLDEN_SOURCE WORK [PRELOAD]
cmake_minimum_required(VERSION 3.20)

file(READ ${GOLDEN_SOURCE} golden_source)
# RetroArch knows what the core supports (save states) only from the .info
# of a core in its cores directory.
get_filename_component(core_dir ${CORE} DIRECTORY)
function(reviewed run frame out)
  if(NOT golden_source MATCHES "runAndCheck\\(\"${run}\"[^;]*\\{${frame}, (0x[0-9A-Fa-f]+)ull\\}")
    message(FATAL_ERROR "no reviewed frame ${frame} of ${run} in ${GOLDEN_SOURCE}")
  endif()
  string(TOUPPER "${CMAKE_MATCH_1}" hash)
  string(REPLACE "0X" "0x" hash "${hash}")
  set(${out} ${hash} PARENT_SCOPE)
endfunction()

# run_retroarch(NAME CONTENT FRAMES SERVICE_MODE [CONFIGURATION LINES...]):
# leaves the exit status, the console and the run's directory in ra_status,
# ra_log and ra_dir.
function(run_retroarch name content frames service)
  set(dir ${WORK}/${name})
  file(REMOVE_RECURSE ${dir})
  foreach(sub home shots saves system playlists logs cache)
    file(MAKE_DIRECTORY ${dir}/${sub})
  endforeach()
  file(WRITE ${dir}/retroarch.cfg
    "video_driver = \"null\"\n"
    "audio_driver = \"null\"\n"
    "input_driver = \"null\"\n"
    "input_joypad_driver = \"null\"\n"
    "midi_driver = \"null\"\n"
    "menu_driver = \"null\"\n"
    "video_gpu_screenshot = \"false\"\n"
    "config_save_on_exit = \"false\"\n"
    "core_options_path = \"${dir}/core-options.cfg\"\n"
    "global_core_options = \"true\"\n"
    "screenshot_directory = \"${dir}/shots\"\n"
    "savefile_directory = \"${dir}/saves\"\n"
    "system_directory = \"${dir}/system\"\n"
    "playlist_directory = \"${dir}/playlists\"\n"
    "content_history_path = \"${dir}/playlists/history.lpl\"\n"
    "content_favorites_path = \"${dir}/playlists/favorites.lpl\"\n"
    "content_image_history_path = \"${dir}/playlists/images.lpl\"\n"
    "content_music_history_path = \"${dir}/playlists/music.lpl\"\n"
    "content_video_history_path = \"${dir}/playlists/video.lpl\"\n"
    "history_list_enable = \"false\"\n"
    "content_runtime_log = \"false\"\n"
    "log_dir = \"${dir}/logs\"\n"
    "cache_directory = \"${dir}/cache\"\n"
    "libretro_directory = \"${core_dir}\"\n"
    "libretro_info_path = \"${INFO_DIR}\"\n"
    "network_cmd_enable = \"false\"\n"
    "stdin_cmd_enable = \"false\"\n"
    "pause_nonactive = \"false\"\n")
  # RetroArch takes a key's first line: the run's own lines name keys the
  # lines above leave at RetroArch's defaults (no automatic states).
  foreach(line IN LISTS ARGN)
    file(APPEND ${dir}/retroarch.cfg "${line}\n")
  endforeach()
  file(WRITE ${dir}/core-options.cfg "bevorel_service_mode = \"${service}\"\n")
  set(environment HOME=${dir}/home XDG_CONFIG_HOME=${dir}/home/.config XDG_CACHE_HOME=${dir}/cache
                  XDG_DATA_HOME=${dir}/home/.local/share XDG_RUNTIME_DIR=${dir})
  if(PRELOAD)
    # The sanitized core's runtime. Memory errors and undefined behaviour
    # abort RetroArch; leaks are not looked for here (RetroArch 1.14 leaks
    # 4.5 KB of its own), the dlopen tests check the core's.
    list(APPEND environment LD_PRELOAD=${PRELOAD} ASAN_OPTIONS=detect_leaks=0:abort_on_error=1)
  endif()
  # TIMEOUT kills RetroArch should it outlive it.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env ${environment}
            ${RETROARCH} --config=${dir}/retroarch.cfg --libretro=${CORE} --verbose
                         --max-frames=${frames} --max-frames-ss --max-frames-ss-path=${dir}/shots/frame.png
                         ${content}
    WORKING_DIRECTORY ${dir}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT 60)
  file(WRITE ${dir}/console.txt "${out}${err}")
  set(ra_status "${status}" PARENT_SCOPE)
  set(ra_log "${out}${err}" PARENT_SCOPE)
  set(ra_dir ${dir} PARENT_SCOPE)
endfunction()

# The run must end normally after FRAMES frames with the reviewed picture.
function(expect_frame name frames run frame)
  if(NOT ra_status EQUAL 0)
    message(FATAL_ERROR "${name}: RetroArch ended with ${ra_status}; see ${ra_dir}/console.txt")
  endif()
  if(NOT ra_log MATCHES "BePellmora: unloaded after ${frames} frames")
    message(FATAL_ERROR "${name}: the core did not report ${frames} frames; see ${ra_dir}/console.txt")
  endif()
  execute_process(COMMAND ${HASHER} --rgb565 ${ra_dir}/shots/frame.png
                  RESULT_VARIABLE status OUTPUT_VARIABLE hash ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name}: ${err}")
  endif()
  string(STRIP "${hash}" hash)
  reviewed(${run} ${frame} golden)
  if(NOT hash STREQUAL golden)
    message(FATAL_ERROR "${name}: RetroArch's frame ${frames} hashes ${hash}, the reviewed frame ${golden}; "
                        "see ${ra_dir}/shots/frame.png")
  endif()
  message(STATUS "${name}: frame ${frames} ${hash}, as reviewed")
endfunction()

run_retroarch(file ${DEMO_DIR}/PELLMORA.2A 60 disabled)
expect_frame(file 60 demo_attract 60)
if(NOT ra_log MATCHES "Content loading skipped")
  message(FATAL_ERROR "file: RetroArch loaded the content itself instead of handing the core its path")
endif()

set(zip ${WORK}/demo.zip)
file(REMOVE ${zip})
set(demo_files PELLMORA.2A PELLMORA.3A CH0 CH1 CH2 CH3)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip -- ${demo_files}
                WORKING_DIRECTORY ${DEMO_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot make ${zip}")
endif()
run_retroarch(zip ${zip} 60 disabled)
expect_frame(zip 60 demo_attract 60)

run_retroarch(service ${DEMO_DIR} 30 enabled)
expect_frame(service 30 demo_service 30)

set(bad ${WORK}/five-files.zip)
file(REMOVE ${bad})
list(REMOVE_ITEM demo_files CH3)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${bad} --format=zip -- ${demo_files}
                WORKING_DIRECTORY ${DEMO_DIR} RESULT_VARIABLE status)
run_retroarch(refused ${bad} 60 disabled)
if(ra_status EQUAL 0)
  message(FATAL_ERROR "refused: RetroArch ran a set without CH3; see ${ra_dir}/console.txt")
endif()
string(FIND "${ra_log}" "BePellmora cannot load the ROM set: ${bad} holds no CH3" at)
if(at EQUAL -1)
  message(FATAL_ERROR "refused: the core's line is not in RetroArch's log; see ${ra_dir}/console.txt")
endif()
message(STATUS "refused: RetroArch ended with ${ra_status} after the core's line")

# Save states through RetroArch's own files, which wrap the core's image.
set(states ${WORK}/states)
file(REMOVE_RECURSE ${states})
file(MAKE_DIRECTORY ${states})
run_retroarch(state-saved ${DEMO_DIR}/PELLMORA.2A 60 disabled
  "savestate_directory = \"${states}\"" "savestate_auto_save = \"true\"")
expect_frame(state-saved 60 demo_attract 60)
if(NOT ra_log MATCHES "Auto save state to [^\n]* succeeded")
  message(FATAL_ERROR "state-saved: RetroArch saved no state; see ${ra_dir}/console.txt")
endif()
run_retroarch(state-loaded ${DEMO_DIR}/PELLMORA.2A 181 disabled
  "savestate_directory = \"${states}\"" "savestate_auto_load = \"true\"")
if(NOT ra_log MATCHES "Auto-loading save state from [^\n]* succeeded")
  message(FATAL_ERROR "state-loaded: RetroArch loaded no state; see ${ra_dir}/console.txt")
endif()
expect_frame(state-loaded 181 demo_attract 240)
