# The batch conversion of the 2,000 x 2,000-point ILDA file through the window against
# trellion-cli convert and against the bare conversion, in one run.
find_package(Qt6 REQUIRED COMPONENTS Test)
trellion_add_bench(convertflowbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/convertflowbench.cpp
    LIBS trellion_app trellion_ilda trellion_scene trellion_model Qt6::Widgets Qt6::Test)
target_compile_definitions(convertflowbench PRIVATE TRELLION_CLI="$<TARGET_FILE:trellion-cli>")
add_dependencies(convertflowbench trellion-cli)
