# Fails when the program named by PROGRAM defines a symbol of one of the
# test doubles (platform/testing/).
execute_process(COMMAND nm -C --defined-only ${PROGRAM}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "platform::(ScriptedBoxes|TestClipboard|RecordingOpener|FixedTrayHost)[^\n]*" found "${symbols}")
if(found)
  list(GET found 0 first)
  message(FATAL_ERROR "The program links a test double: ${first}")
endif()
message(STATUS "No test double in ${PROGRAM}")
