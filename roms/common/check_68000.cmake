# Fails unless the code of a program holds only 68000 instructions.
# Usage: cmake -DOBJDUMP=... -DELF=... -DSTAMP=... -P check_68000.cmake
#
# The disassembler, told the CPU is a 68000, prints words it cannot decode
# as data (.short). One more encoding needs a look of its own: a branch whose
# 8-bit displacement is 0xFF, a 32-bit branch on later CPUs, which a 68000
# takes as a branch to an odd address.
execute_process(COMMAND ${OBJDUMP} -d -z -m m68k:68000 -j .text ${ELF}
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${ELF}: ${errors}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(count 0)
set(bad "")
foreach(line IN LISTS lines)
  if(line MATCHES "^ *([0-9a-f]+):\t([0-9a-f ]+)\t(.+)$")
    set(address ${CMAKE_MATCH_1})
    set(words ${CMAKE_MATCH_2})
    set(text ${CMAKE_MATCH_3})
    math(EXPR count "${count} + 1")
    if(text MATCHES "^(\\.short|\\.word|\\.long|\\(bad\\))" OR words MATCHES "^6[0-9a-f]ff ")
      string(APPEND bad "  0x${address}: ${words} ${text}\n")
    endif()
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${ELF}: no instructions found to check")
endif()
if(bad)
  message(FATAL_ERROR "${ELF} holds words that are not 68000 instructions:\n${bad}")
endif()
file(WRITE ${STAMP} "${count} instructions checked\n")
