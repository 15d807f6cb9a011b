# Runs mix_to_file on two of the game's waves and checks that each is heard
# where only it plays: FIRST (0.55 s) from the start, SECOND (0.8 s) from
# half a second on, behind the blocks already mixed ahead.
execute_process(COMMAND ${EXAMPLE} ${FIRST} ${SECOND} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "mix_to_file failed: ${result}")
endif()

# 8-bit mono at 11025 Hz after a 44-byte header; 0x80 is silence.
function(expect_sound what from to)
  math(EXPR length "${to} - ${from}")
  math(EXPR offset "44 + ${from}")
  file(READ ${OUT} bytes OFFSET ${offset} LIMIT ${length} HEX)
  string(LENGTH "${bytes}" digits)
  string(REGEX REPLACE "80" "" sound "${bytes}")
  math(EXPR expected "${length} * 2")
  if(NOT digits EQUAL expected OR sound STREQUAL "")
    message(FATAL_ERROR "${what}: bytes ${from}..${to} are silent or missing")
  endif()
endfunction()
expect_sound("FIRST" 500 5000)
expect_sound("SECOND" 9000 14000)
