# Writes the bash completion of trellion-cli as the program makes it from its commands' option
# tables, the tables their help texts and so the manual page come from. Run as
#   cmake -DPROGRAM=<trellion-cli> -DOUTPUT=<file> -P completion.cmake

foreach(var PROGRAM OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "completion.cmake: ${var} is not set")
    endif()
endforeach()

execute_process(COMMAND "${PROGRAM}" --completion bash
                OUTPUT_FILE "${OUTPUT}.tmp" ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "'${PROGRAM} --completion bash' failed (${status}): ${errors}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
