# The whole conversion of the 2,000 x 2,000-point ILDA file against its I/O floor and its model
# floor, and the tool's peak memory, in one run.
trellion_add_bench(convertfloorbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/convertfloorbench.cpp
    LIBS trellion_scene trellion_ilda trellion_model)
target_compile_definitions(convertfloorbench PRIVATE TRELLION_CLI="$<TARGET_FILE:trellion-cli>")
add_dependencies(convertfloorbench trellion-cli)
