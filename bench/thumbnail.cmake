# A thumbnail of the 2,000 x 2,000-point ILDA file against `info` on it, both as trellion-cli
# runs them, in one run.
trellion_add_bench(thumbnailbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/thumbnailbench.cpp
    LIBS Qt6::Core)
target_include_directories(thumbnailbench PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(thumbnailbench PRIVATE TRELLION_CLI="$<TARGET_FILE:trellion-cli>")
add_dependencies(thumbnailbench trellion-cli)
