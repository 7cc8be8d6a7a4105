# Writes OUTPUT, a header naming the commit the sources are at and the build
# type, at every build; the file is rewritten only when that changes, so a
# build without a new commit compiles nothing again.
# In: SOURCE_DIR, OUTPUT, BUILD_TYPE.
execute_process(COMMAND git -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
                OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
if(failed OR commit STREQUAL "")
  set(commit "unknown")
else()
  execute_process(COMMAND git -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
                  OUTPUT_VARIABLE changes OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT changes STREQUAL "")
    string(APPEND commit "+changes")
  endif()
endif()
if(BUILD_TYPE STREQUAL "")
  set(BUILD_TYPE "unspecified")
endif()
set(text "#define BEVOREL_COMMIT \"${commit}\"\n#define BEVOREL_BUILD_TYPE \"${BUILD_TYPE}\"\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
