# Debian's RetroArch 1.14 runs the core headless on the demo ROM set: its
# null video, audio and input drivers, a private configuration, home and
# directories under WORK (the user's ~/.config is never read or written),
# the core installed by the build's install rules (make install-libretro)
# into a DESTDIR under WORK and loaded by its name from the directories
# Debian's /etc/retroarch.cfg gives new configurations, under that DESTDIR,
# --max-frames N with --max-frames-ss: RetroArch runs N frames (retro_run N
# times; the core logs how many when it is unloaded) and saves the Nth frame.
# Without the GPU, RetroArch 1.14 saves a 0RGB1555 frame by reading each
# pixel's 16 bits as RGB565, so the hasher recovers the core's exact values.
#
# Runs: the demo from one of its files (frame 60 against the reviewed frame
# of the end-to-end tests), in service mode set through RetroArch's core
# options file (the reviewed service frame 30), and save states: a run of 60 frames that saves its state on exit, then a run
# that loads it. RetroArch 1.14 loads that state after the run's first frame
# (the core's log shows the restore at frame 1), so 181 frames of the second
# run end on frame 60 + 180 = 240 of the demo, which must be the reviewed one.
# RetroArch's state files, compressed (its default) and not, then load in the
# desktop program from a slot: 180 frames later it shows the same frame 240.
#
# In: RETROARCH BUILD_DIR (to install from) PROGRAM DEMO_DIR HASHER GOLDEN_SOURCE WORK [PRELOAD]
cmake_minimum_required(VERSION 3.20)

file(READ ${GOLDEN_SOURCE} golden_source)
# RetroArch knows what the core supports (save states) only from the .info
# of a core in its info directory.
file(STRINGS /etc/retroarch.cfg debian_directories REGEX "^libretro_(directory|info_path) = ")
if(NOT debian_directories MATCHES "libretro_directory = \"([^\"]+)\"")
  message(FATAL_ERROR "/etc/retroarch.cfg gives no libretro_directory")
endif()
set(destdir ${WORK}/destdir)
set(core_dir ${destdir}${CMAKE_MATCH_1})
if(NOT debian_directories MATCHES "libretro_info_path = \"([^\"]+)\"")
  message(FATAL_ERROR "/etc/retroarch.cfg gives no libretro_info_path")
endif()
set(info_dir ${destdir}${CMAKE_MATCH_1})
file(REMOVE_RECURSE ${destdir})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${destdir}
                        ${CMAKE_COMMAND} --install ${BUILD_DIR} --component libretro --prefix /usr
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT EXISTS ${core_dir}/bevorel_libretro.so OR NOT EXISTS ${info_dir}/bevorel_libretro.info)
  message(FATAL_ERROR "the core was not installed where Debian's RetroArch looks (${core_dir}, ${info_dir}):\n"
                      "${out}${err}")
endif()
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
    "libretro_info_path = \"${info_dir}\"\n"
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
            ${RETROARCH} --config=${dir}/retroarch.cfg --libretro=bevorel --verbose
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
string(FIND "${ra_log}" "Loading dynamic libretro core from: \"${core_dir}bevorel_libretro.so\"" at)
if(at EQUAL -1)
  message(FATAL_ERROR "file: RetroArch did not load the installed core by its name; see ${ra_dir}/console.txt")
endif()
string(FIND "${ra_log}" "[libretro INFO] Loading ROMS...Ok." at)
if(at EQUAL -1)
  message(FATAL_ERROR "file: the board's start-up report is not in RetroArch's log; see ${ra_dir}/console.txt")
endif()
if(NOT ra_log MATCHES "Content loading skipped")
  message(FATAL_ERROR "file: RetroArch loaded the content itself instead of handing the core its path")
endif()

run_retroarch(service ${DEMO_DIR} 30 enabled)
expect_frame(service 30 demo_service 30)

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
# The same state uncompressed, beside it.
set(plain_states ${WORK}/plain-states)
file(REMOVE_RECURSE ${plain_states})
file(MAKE_DIRECTORY ${plain_states})
run_retroarch(plain-state-saved ${DEMO_DIR}/PELLMORA.2A 60 disabled
  "savestate_directory = \"${plain_states}\"" "savestate_auto_save = \"true\""
  "savestate_file_compression = \"false\"")
expect_frame(plain-state-saved 60 demo_attract 60)
# RetroArch loads the state in a task. On a thread of its own the task ends
# after however many frames ran meanwhile (none, or some under load); on the
# main loop it ends after the same frames every time, 6 more than the
# thread takes on an idle machine, so the run is 6 frames longer.
run_retroarch(state-loaded ${DEMO_DIR}/PELLMORA.2A 187 disabled
  "savestate_directory = \"${states}\"" "savestate_auto_load = \"true\""
  "threaded_data_runloop_enable = \"false\"")
if(NOT ra_log MATCHES "Auto-loading save state from [^\n]* succeeded")
  message(FATAL_ERROR "state-loaded: RetroArch loaded no state; see ${ra_dir}/console.txt")
endif()
expect_frame(state-loaded 187 demo_attract 240)

# The desktop program loads RetroArch's files from slot 0. The slot's file is
# named after the ROM set's hash, which the state's image carries at offset 12
# (little-endian), the image being at offset 16 of the uncompressed file.
set(compressed ${states}/PELLMORA.state.auto)
set(plain ${plain_states}/PELLMORA.state.auto)
file(READ ${compressed} magic LIMIT 6 HEX)
file(READ ${plain} plain_magic LIMIT 7 HEX)
if(NOT magic STREQUAL "23525a495076" OR NOT plain_magic STREQUAL "52415354415445")  # "#RZIPv", "RASTATE"
  message(FATAL_ERROR "RetroArch's state files are not a compressed and a plain one: ${compressed}, ${plain}")
endif()
file(READ ${plain} hash_bytes OFFSET 28 LIMIT 8 HEX)
set(hash "")
foreach(at RANGE 14 0 -2)
  string(SUBSTRING ${hash_bytes} ${at} 2 byte)
  string(APPEND hash ${byte})
endforeach()
reviewed(demo_attract 240 golden)
foreach(form compressed plain)
  set(dir ${WORK}/desktop-${form})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir}/data/bevorel/states)
  file(COPY_FILE ${${form}} ${dir}/data/bevorel/states/${hash}-slot0.state)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=dummy XDG_DATA_HOME=${dir}/data XDG_CONFIG_HOME=${dir}/config
            ${PROGRAM} --boot --load-state 0 --frames 180 --speed unlimited --screenshot ${dir}/frame.png ${DEMO_DIR}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100)
  file(WRITE ${dir}/console.txt "${out}${err}")
  if(NOT status EQUAL 0 OR NOT out MATCHES "State loaded from slot 0")
    message(FATAL_ERROR "desktop-${form}: the program did not load RetroArch's state (${status}); "
                        "see ${dir}/console.txt")
  endif()
  execute_process(COMMAND ${HASHER} ${dir}/frame.png OUTPUT_VARIABLE frame_hash)
  string(STRIP "${frame_hash}" frame_hash)
  if(NOT frame_hash STREQUAL golden)
    message(FATAL_ERROR "desktop-${form}: 180 frames after RetroArch's state the program shows ${frame_hash}, "
                        "the reviewed frame 240 is ${golden}; see ${dir}/frame.png")
  endif()
  message(STATUS "desktop-${form}: RetroArch's state loaded, then frame 240 ${frame_hash}, as reviewed")
endforeach()
