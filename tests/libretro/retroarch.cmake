# Debian's RetroArch 1.14 runs the core headless with null drivers, its
# configuration and home under WORK, the core installed by the build's install
# rules into a DESTDIR there and loaded by name from the directories Debian's
# /etc/retroarch.cfg gives. --max-frames N --max-frames-ss: it runs N frames and
# saves the Nth, reading each 0RGB1555 pixel's 16 bits as RGB565 (no GPU), so
# the hasher recovers the core's exact values against the end-to-end tests'
# reviewed frames.
# In: RETROARCH BUILD_DIR (to install from) PROGRAM DEMO_DIR HASHER GOLDEN_SOURCE WORK [PRELOAD]
cmake_minimum_required(VERSION 3.21)

include(${CMAKE_CURRENT_LIST_DIR}/../common/reviewed_frame.cmake)
file(STRINGS /etc/retroarch.cfg debian_directories REGEX "^libretro_(directory|info_path) = ")
set(destdir ${WORK}/destdir)
foreach(key directory info_path)
  if(NOT debian_directories MATCHES "libretro_${key} = \"([^\"]+)\"")
    message(FATAL_ERROR "/etc/retroarch.cfg gives no libretro_${key}")
  endif()
  set(${key} ${destdir}${CMAKE_MATCH_1})
endforeach()
file(REMOVE_RECURSE ${destdir})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${destdir}
                        ${CMAKE_COMMAND} --install ${BUILD_DIR} --component libretro --prefix /usr
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
# RetroArch knows that the core saves states only from its .info.
if(NOT status EQUAL 0 OR NOT EXISTS ${directory}/bevorel_libretro.so OR NOT EXISTS ${info_path}/bevorel_libretro.info)
  message(FATAL_ERROR "the core was not installed where Debian's RetroArch looks:\n${out}${err}")
endif()

# run_retroarch(NAME FRAMES SERVICE_MODE RUN FRAME [CONFIGURATION LINES...]):
# RetroArch on the demo's PELLMORA.2A must end normally after FRAMES frames
# (the core logs how many at unload) on the reviewed FRAME of RUN. Leaves
# its console in ra_log.
function(run_retroarch name frames service run frame)
  set(dir ${WORK}/${name})
  file(REMOVE_RECURSE ${dir})
  set(config "")
  foreach(line "video_driver = \"null\"" "audio_driver = \"null\"" "input_driver = \"null\"" "menu_driver = \"null\""
      "midi_driver = \"null\"" "core_options_path = \"${dir}/core-options.cfg\""
      "libretro_directory = \"${directory}\"" "libretro_info_path = \"${info_path}\"" ${ARGN})
    string(APPEND config "${line}\n")
  endforeach()
  # RetroArch takes a key's first line: ARGN names keys left at its defaults.
  file(WRITE ${dir}/retroarch.cfg "${config}")
  file(WRITE ${dir}/core-options.cfg "bevorel_service_mode = \"${service}\"\n")
  set(environment HOME=${dir} XDG_CONFIG_HOME=${dir}/.config XDG_CACHE_HOME=${dir}/.cache
                  XDG_DATA_HOME=${dir}/.local/share XDG_RUNTIME_DIR=${dir})
  if(PRELOAD)
    # The sanitized core's runtime; leaks are not looked for (RetroArch 1.14
    # leaks 4.5 KB of its own), the dlopen tests check the core's.
    list(APPEND environment LD_PRELOAD=${PRELOAD} ASAN_OPTIONS=detect_leaks=0:abort_on_error=1)
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env ${environment}
            ${RETROARCH} --config=${dir}/retroarch.cfg --libretro=bevorel --verbose --max-frames=${frames}
                         --max-frames-ss --max-frames-ss-path=${dir}/frame.png ${DEMO_DIR}/PELLMORA.2A
    WORKING_DIRECTORY ${dir} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  file(WRITE ${dir}/console.txt "${out}${err}")
  if(NOT status EQUAL 0 OR NOT "${out}${err}" MATCHES "BePellmora: unloaded after ${frames} frames")
    message(FATAL_ERROR "${name}: RetroArch ended with ${status}, not after ${frames} frames; see ${dir}/console.txt")
  endif()
  check_frame(${name} ${dir}/frame.png ${run} ${frame} --rgb565)
  set(ra_log "${out}${err}" PARENT_SCOPE)
endfunction()

# The demo from one of its files, its state saved on exit in RetroArch's own
# (compressed) file; the installed core, loaded by its name, and the board's
# start-up report in RetroArch's log.
set(states ${WORK}/states)
file(REMOVE_RECURSE ${states})
file(MAKE_DIRECTORY ${states})
run_retroarch(file 60 disabled demo_attract 60 "savestate_directory = \"${states}\"" "savestate_auto_save = \"true\"")
foreach(line "Loading dynamic libretro core from: \"${directory}bevorel_libretro.so\""
             "[libretro INFO] Loading ROMS...Ok.")
  string(FIND "${ra_log}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "file: RetroArch's log lacks '${line}'; see ${WORK}/file/console.txt")
  endif()
endforeach()
set(state ${states}/PELLMORA.state.auto)
file(READ ${state} magic LIMIT 6 HEX)
if(NOT magic STREQUAL "23525a495076")  # "#RZIPv"
  message(FATAL_ERROR "RetroArch saved no compressed state at ${state}")
endif()
# Service mode through RetroArch's core options file.
run_retroarch(service 30 enabled demo_service 30)
# RetroArch loads the state in a task; on the main loop the task ends after
# the same frames every time, the state restored at the run's frame 7: its
# frame 187 is the demo's 240.
run_retroarch(state-loaded 187 disabled demo_attract 240
  "savestate_directory = \"${states}\"" "savestate_auto_load = \"true\"" "threaded_data_runloop_enable = \"false\"")

# The desktop program loads RetroArch's file from slot 0; its refusal of the
# empty slot names the slot's file.
set(dir ${WORK}/desktop)
file(REMOVE_RECURSE ${dir})
set(desktop ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=dummy XDG_DATA_HOME=${dir}/data XDG_CONFIG_HOME=${dir}/config
    ${PROGRAM} --boot --load-state 0 --frames 180 --speed unlimited --screenshot ${dir}/frame.png ${DEMO_DIR})
execute_process(COMMAND ${desktop} OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 100)
if(NOT out MATCHES "no state was saved there for this ROM set \\(([^)]+)\\)")
  message(FATAL_ERROR "desktop: the empty slot 0 was not refused with its file's name:\n${out}")
endif()
get_filename_component(slot_dir ${CMAKE_MATCH_1} DIRECTORY)
file(MAKE_DIRECTORY ${slot_dir})
file(COPY_FILE ${state} ${CMAKE_MATCH_1})
execute_process(COMMAND ${desktop} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100)
if(NOT status EQUAL 0 OR NOT out MATCHES "State loaded from slot 0")
  message(FATAL_ERROR "desktop: the program did not load RetroArch's state (${status}):\n${out}${err}")
endif()
check_frame(desktop ${dir}/frame.png demo_attract 240)
