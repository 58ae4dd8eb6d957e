# Loading and saving a 2,000 x 2,000-point ILDA file against reading the same bytes, and
# `trellion-cli check` on it against `trellion-cli info`.
trellion_add_bench(ildabench SOURCES ${CMAKE_CURRENT_LIST_DIR}/ildabench.cpp LIBS trellion_ilda)
target_compile_definitions(ildabench PRIVATE TRELLION_CLI="$<TARGET_FILE:trellion-cli>")
add_dependencies(ildabench trellion-cli)
