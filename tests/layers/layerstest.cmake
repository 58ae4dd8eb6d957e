# Checks that the layering is enforced: a lower library may not link an upper one (the
# configuration stops), nor include an upper one's header (the header is not found), while
# the same libraries the right way round build.
#   cmake -DSOURCE=<repo> -DWORK=<scratch dir> -P layerstest.cmake
set(project ${SOURCE}/tests/layers/project)
file(REMOVE_RECURSE ${WORK})

function(configure dir)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${project} -B ${WORK}/${dir} -G Ninja
                -DTRELLION_SOURCE_DIR=${SOURCE} ${ARGN}
        RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(result ${result} PARENT_SCOPE)
    set(output "${out}${err}" PARENT_SCOPE)
endfunction()

function(build dir)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/${dir}
        RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(result ${result} PARENT_SCOPE)
    set(output "${out}${err}" PARENT_SCOPE)
endfunction()

configure(right)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the right way round does not configure:\n${output}")
endif()
build(right)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the right way round does not build:\n${output}")
endif()

configure(upward -DUPWARD=ON)
if(result EQUAL 0 OR NOT output MATCHES "trellion_low \\(layer platform\\) may not use trellion_high")
    message(FATAL_ERROR "a link to an upper layer was not refused:\n${output}")
endif()

configure(include -DINCLUDE_UP=ON)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "configure failed:\n${output}")
endif()
build(include)
if(result EQUAL 0 OR NOT output MATCHES "high/high.h")
    message(FATAL_ERROR "an include of an upper layer's header was not refused:\n${output}")
endif()
file(REMOVE_RECURSE ${WORK})
