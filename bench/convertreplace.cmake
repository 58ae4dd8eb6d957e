# trellion-cli convert of a batch into an empty directory against the same batch replacing its
# scene files (which syncs each replaced file), in one run.
trellion_add_bench(convertreplacebench SOURCES ${CMAKE_CURRENT_LIST_DIR}/convertreplacebench.cpp)
target_include_directories(convertreplacebench PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(convertreplacebench PRIVATE TRELLION_CLI="$<TARGET_FILE:trellion-cli>")
add_dependencies(convertreplacebench trellion-cli)
